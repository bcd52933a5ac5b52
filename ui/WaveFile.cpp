#include "ui/WaveFile.h"

#include <QFile>
#include <QFileInfo>

#include <cstdint>

namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatFloat = 3;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;

std::uint32_t Le(const QByteArray& bytes, qsizetype at, int width)
{
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = (value << 8) | static_cast<std::uint8_t>(bytes[at + i]);
    return value;
}

QString FormatProblem(const QByteArray& fmt)
{
    if (fmt.size() < 16)
        return QStringLiteral("its format chunk is too short");
    std::uint16_t format = static_cast<std::uint16_t>(Le(fmt, 0, 2));
    const std::uint32_t channels = Le(fmt, 2, 2);
    const std::uint32_t rate = Le(fmt, 4, 4);
    const std::uint32_t blockAlign = Le(fmt, 12, 2);
    const std::uint32_t bits = Le(fmt, 14, 2);
    // The extensible form names its real format in the first two bytes of its sub-format.
    if (format == kFormatExtensible && fmt.size() >= 26)
        format = static_cast<std::uint16_t>(Le(fmt, 24, 2));
    const bool pcm = format == kFormatPcm && (bits == 8 || bits == 16 || bits == 24 || bits == 32);
    const bool floats = format == kFormatFloat && bits == 32;
    if (!pcm && !floats)
        return QStringLiteral("its sample format is not plain PCM or 32-bit float");
    if (channels < 1 || channels > 8 || rate == 0 || rate > 384000)
        return QStringLiteral("its channels or rate are out of range");
    if (blockAlign != channels * bits / 8)
        return QStringLiteral("its frame size does not match its format");
    return {};
}

} // namespace

QString WaveProblem(const QString& path)
{
    // A pipe or a device would block the reader; only a regular file is opened.
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("the file does not exist");
    if (!info.isFile())
        return QStringLiteral("it is not a regular file");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("it cannot be read");
    const qint64 size = file.size();
    const QByteArray head = file.read(12);
    if (head.size() < 12 || !head.startsWith("RIFF") || head.mid(8, 4) != "WAVE")
        return QStringLiteral("it is not a RIFF WAVE file");

    QByteArray fmt;
    bool haveFormat = false;
    for (qint64 at = 12; at + 8 <= size;) {
        if (!file.seek(at))
            break;
        const QByteArray chunk = file.read(8);
        if (chunk.size() < 8)
            break;
        const qint64 length = Le(chunk, 4, 4);
        const qint64 body = at + 8;
        if (chunk.startsWith("fmt ")) {
            if (body + length > size)
                return QStringLiteral("its format chunk runs past the end of the file");
            fmt = file.read(qMin<qint64>(length, 64));
            haveFormat = true;
            if (const QString problem = FormatProblem(fmt); !problem.isEmpty())
                return problem;
        } else if (chunk.startsWith("data")) {
            if (!haveFormat)
                return QStringLiteral("its data comes before its format");
            if (length == 0)
                return QStringLiteral("it holds no sound");
            if (body + length > size)
                return QStringLiteral("it is cut short");
            if (length % Le(fmt, 12, 2) != 0)
                return QStringLiteral("its data is not whole frames");
            return {};
        }
        at = body + length + (length % 2); // chunks are padded to an even length
    }
    return haveFormat ? QStringLiteral("it has no data chunk")
                      : QStringLiteral("it has no format chunk");
}
