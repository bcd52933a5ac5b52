// zellwick-drawres: draws every picture and synthesises every sound of the program into a
// res/ folder, and writes the Qt resource file that lists them.
//
//   zellwick-drawres <res folder> [--sheet <contact sheet.png>]

#include "tools/zellwick-drawres/ButtonArt.h"
#include "tools/zellwick-drawres/Canvas.h"
#include "tools/zellwick-drawres/ContactSheet.h"
#include "tools/zellwick-drawres/ResourceTable.h"
#include "tools/zellwick-drawres/SoundArt.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QStringList>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>
#include <set>

namespace {

using namespace drawres;

class Writer
{
public:
    explicit Writer(const QString& root) : m_root(root) {}

    bool Picture(const QString& relative, const QImage& image)
    {
        return Record(relative, SavePng(image, m_root.filePath(relative)));
    }

    bool Sound(const QString& relative, const Samples& samples)
    {
        return Record(relative, WriteWave(m_root.filePath(relative), samples));
    }

    bool ResourceFile(const QString& name) const
    {
        QFile file(m_root.filePath(name));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
            return false;
        QTextStream out(&file);
        out << "<!DOCTYPE RCC>\n<!-- Written by tools/zellwick-drawres; remake with "
               "scripts/remake-resources. -->\n<RCC version=\"1.0\">\n<qresource prefix=\"/\">\n";
        for (const QString& entry : m_written)
            out << "    <file>" << entry << "</file>\n";
        out << "</qresource>\n</RCC>\n";
        return out.status() == QTextStream::Ok;
    }

    int Count() const { return static_cast<int>(m_written.size()); }

private:
    bool Record(const QString& relative, bool ok)
    {
        if (!ok) {
            std::fprintf(stderr, "zellwick-drawres: cannot write %s\n",
                         qPrintable(m_root.filePath(relative)));
            return false;
        }
        m_written.insert(relative);
        return true;
    }

    QDir m_root;
    std::set<QString> m_written;
};

QString BitmapName(int id)
{
    return QStringLiteral("bitmaps/%1.png").arg(id);
}

bool WriteButtons(Writer& writer)
{
    bool ok = true;
    for (const SkinSet& set : SkinSets()) {
        ok &= writer.Picture(BitmapName(set.normal),
                             DrawButton(set.size, set.glyph, set.base, Look::Normal));
        ok &= writer.Picture(BitmapName(set.down),
                             DrawButton(set.size, set.glyph, set.base, Look::Down));
        ok &= writer.Picture(BitmapName(set.disabled),
                             DrawButton(set.size, set.glyph, set.base, Look::Disabled));
        ok &= writer.Picture(BitmapName(set.mask), DrawButtonMask(set.size));
    }
    return ok;
}

bool WritePictures(Writer& writer)
{
    bool ok = true;
    for (const PictureSpec& picture : Pictures()) {
        for (int size : picture.sizes) {
            const QString name = picture.kind == PictureKind::Icon
                                     ? QStringLiteral("icons/%1-%2.png").arg(picture.id).arg(size)
                                     : BitmapName(picture.id);
            ok &= writer.Picture(name, picture.draw(size));
        }
    }
    return ok;
}

bool WriteSounds(Writer& writer)
{
    bool ok = true;
    for (const SoundSpec& sound : Sounds())
        ok &= writer.Sound(QStringLiteral("sounds/%1.wav").arg(sound.id), sound.make());
    return ok;
}

bool WriteSheet(const QString& file)
{
    const QImage sheet = DrawContactSheet();
    // Four times enlarged without smoothing, so single pixels can be judged.
    const QImage large =
        sheet.scaled(sheet.size() * 4, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    QString actual = file;
    actual.replace(QStringLiteral(".png"), QStringLiteral("-1x.png"));
    return SavePng(large, file) && SavePng(sheet, actual);
}

int Usage()
{
    std::fprintf(stderr, "usage: zellwick-drawres <res folder> [--sheet <file.png>]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    // Pictures are drawn off screen; no display is needed.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    QStringList args = QGuiApplication::arguments();
    args.removeFirst();
    QString sheet;
    if (const qsizetype at = args.indexOf(QStringLiteral("--sheet")); at >= 0) {
        if (at + 1 >= args.size())
            return Usage();
        sheet = args.at(at + 1);
        args.remove(at, 2);
    }
    if (args.size() != 1)
        return Usage();

    const QDir root(args.front());
    for (const char* folder : {"bitmaps", "icons", "sounds"}) {
        if (!root.mkpath(QString::fromLatin1(folder))) {
            std::fprintf(stderr, "zellwick-drawres: cannot create %s\n",
                         qPrintable(root.filePath(QString::fromLatin1(folder))));
            return 1;
        }
    }
    Writer writer(root.path());
    bool ok = WriteButtons(writer);
    ok &= WritePictures(writer);
    ok &= WriteSounds(writer);
    ok &= writer.ResourceFile(QStringLiteral("zellwick.qrc"));
    if (!sheet.isEmpty() && !WriteSheet(sheet)) {
        std::fprintf(stderr, "zellwick-drawres: cannot write the sheet %s\n", qPrintable(sheet));
        ok = false;
    }
    std::printf("zellwick-drawres: %d files in %s\n", writer.Count(), qPrintable(root.path()));
    return ok ? 0 : 1;
}
