#include "ui/Resources.h"

#include <QDir>

#include <mutex>

// Outside any namespace, as Qt's resource initialiser must be named.
static void InitZellwickResources()
{
    // The resources live in a static library; without this call the linker would drop them.
    Q_INIT_RESOURCE(zellwick);
}

namespace Resources {

void Init()
{
    static std::once_flag once;
    std::call_once(once, InitZellwickResources);
}

QString BitmapPath(int id)
{
    return QStringLiteral(":/bitmaps/%1.png").arg(id);
}

QString IconPath(int id, int size)
{
    return QStringLiteral(":/icons/%1-%2.png").arg(id).arg(size);
}

QUrl SoundUrl(int id)
{
    Init();
    return QUrl(QStringLiteral("qrc:/sounds/%1.wav").arg(id));
}

QImage LoadBitmap(int id)
{
    Init();
    if (id <= 0)
        return {};
    return QImage(BitmapPath(id));
}

QImage LoadIconImage(int id, int size)
{
    Init();
    return QImage(IconPath(id, size));
}

QIcon LoadIcon(int id)
{
    Init();
    QIcon icon;
    const QDir folder(QStringLiteral(":/icons"));
    const QStringList sizes = folder.entryList({QStringLiteral("%1-*.png").arg(id)}, QDir::Files);
    for (const QString& file : sizes)
        icon.addFile(folder.filePath(file));
    return icon;
}

} // namespace Resources
