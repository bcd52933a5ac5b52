#pragma once

// The hand analysis reports into the application object's log.

#include "history/HandAnalysis.h"

class CZellwickApp;

class AppHistoryLog final : public HistoryLog
{
public:
    explicit AppHistoryLog(CZellwickApp& app) : m_app(app) {}

    void WriteLog(const std::wstring& line) override;
    // Raw text only while the log is open.
    void WriteRaw(const std::wstring& text) override;

private:
    CZellwickApp& m_app;
};
