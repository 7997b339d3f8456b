// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the program's pictures and chime into a resources directory.
#include "assets.h"

#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

bool writeImage(const QImage& image, const QString& path)
{
    if (image.save(path, "PNG"))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

bool writeFile(const QByteArray& data, const QString& path)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(data) == data.size())
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <resources directory>\n", argv[0]);
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    dir.mkpath(QStringLiteral("images"));
    dir.mkpath(QStringLiteral("sounds"));
    dir.mkpath(QStringLiteral("icons"));
    const bool ok = writeImage(drawPopupImage(), dir.filePath("images/bralm.png")) &&
                    writeImage(drawTrayIcon(), dir.filePath("images/bad.png")) &&
                    writeImage(drawAppIcon(), dir.filePath("icons/tessik-control.png")) &&
                    writeFile(makeChime(), dir.filePath("sounds/doorbell1.wav"));
    return ok ? 0 : 1;
}
