#include "ui/AppHistoryLog.h"

#include "app/ZellwickApp.h"

void AppHistoryLog::WriteLog(const std::wstring& line)
{
    m_app.WriteLog(line);
}

void AppHistoryLog::WriteRaw(const std::wstring& text)
{
    if (m_app.m_bLogOpen)
        m_app.WriteRaw(text);
}
