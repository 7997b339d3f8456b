// SPDX-License-Identifier: GPL-3.0-or-later
// The pictures and the chime compiled into the program.
#include "app/constants.h"

#include <QFile>
#include <QImage>
#include <QResource>
#include <QTest>
#include <QtEndian>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint32 bigEndian32(const QByteArray& data, int at)
{
    return qFromBigEndian<quint32>(data.constData() + at);
}

quint32 little32(const QByteArray& data, int at)
{
    return qFromLittleEndian<quint32>(data.constData() + at);
}

quint16 little16(const QByteArray& data, int at)
{
    return qFromLittleEndian<quint16>(data.constData() + at);
}

// The names of the PNG chunks, in file order.
QList<QByteArray> pngChunks(const QByteArray& png)
{
    QList<QByteArray> chunks;
    int at = 8;
    while (at + 8 <= png.size()) {
        chunks << png.mid(at + 4, 4);
        at += 12 + int(bigEndian32(png, at));
    }
    return chunks;
}

} // namespace

class TestResources : public QObject
{
    Q_OBJECT

private slots:
    void constants();
    void storedUncompressed_data();
    void storedUncompressed();
    void images_data();
    void images();
    void chime();
};

void TestResources::constants()
{
    // The popup's style sheet and the tray code name these paths.
    QCOMPARE(QString(popupImagePath), QStringLiteral(":/images/bralm.png"));
    QCOMPARE(QString(trayIconPath), QStringLiteral(":/images/bad.png"));
    QCOMPARE(QString(alertSoundPath), QStringLiteral(":/sounds/doorbell1.wav"));
    QCOMPARE(QString(appTitle), QStringLiteral("Bralm Tessik Control"));
}

void TestResources::storedUncompressed_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("popup picture") << QString(popupImagePath);
    QTest::newRow("tray icon") << QString(trayIconPath);
    QTest::newRow("chime") << QString(alertSoundPath);
}

void TestResources::storedUncompressed()
{
    // Registered before main: nothing in this test asks for it.
    QFETCH(QString, path);
    const QResource resource(path);
    QVERIFY2(resource.isValid(), qPrintable(path));
    QCOMPARE(resource.compressionAlgorithm(), QResource::NoCompression);
}

void TestResources::images_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("colourType");
    QTest::addColumn<QPoint>("transparentAt"); // (-1, -1) for an opaque picture

    // PNG colour types: 3 palette, 6 RGB with alpha.
    QTest::newRow("popup picture")
        << QString(popupImagePath) << QSize(684, 528) << 6 << QPoint(-1, -1);
    QTest::newRow("tray icon") << QString(trayIconPath) << QSize(156, 178) << 3 << QPoint(0, 0);
}

void TestResources::images()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);
    QFETCH(int, colourType);
    QFETCH(QPoint, transparentAt);

    const QImage image(path);
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), size);

    const QByteArray png = readAll(path);
    QVERIFY(png.startsWith("\x89PNG\r\n\x1a\n"));
    QCOMPARE(png.mid(12, 4), QByteArray("IHDR"));
    QCOMPARE(bigEndian32(png, 16), quint32(size.width()));
    QCOMPARE(bigEndian32(png, 20), quint32(size.height()));
    QCOMPARE(int(quint8(png.at(24))), 8); // bits per channel or palette index
    QCOMPARE(int(quint8(png.at(25))), colourType);

    const QList<QByteArray> chunks = pngChunks(png);
    QVERIFY(chunks.contains("IDAT"));
    QCOMPARE(chunks.last(), QByteArray("IEND"));
    if (colourType == 3) {
        // The transparency table follows the palette and comes before the data.
        QVERIFY(chunks.contains("tRNS"));
        QVERIFY(chunks.indexOf("PLTE") < chunks.indexOf("tRNS"));
        QVERIFY(chunks.indexOf("tRNS") < chunks.indexOf("IDAT"));
    }

    const QPoint centre(size.width() / 2, size.height() / 2);
    QCOMPARE(qAlpha(image.pixel(centre)), 255);
    if (transparentAt.x() >= 0)
        QCOMPARE(qAlpha(image.pixel(transparentAt)), 0);
    else
        QCOMPARE(qAlpha(image.pixel(0, 0)), 255);
}

void TestResources::chime()
{
    const QByteArray wav = readAll(QString(alertSoundPath));
    QCOMPARE(wav.size(), 29950);
    QCOMPARE(wav.left(4), QByteArray("RIFF"));
    QCOMPARE(little32(wav, 4), quint32(wav.size() - 8));
    QCOMPARE(wav.mid(8, 8), QByteArray("WAVEfmt "));
    QCOMPARE(little32(wav, 16), quint32(16));
    QCOMPARE(little16(wav, 20), quint16(1)); // PCM
    QCOMPARE(little16(wav, 22), quint16(1)); // mono
    QCOMPARE(little32(wav, 24), quint32(22050));
    QCOMPARE(little32(wav, 28), quint32(22050 * 2)); // bytes per second
    QCOMPARE(little16(wav, 32), quint16(2));         // bytes per frame
    QCOMPARE(little16(wav, 34), quint16(16));
    QCOMPARE(wav.mid(36, 4), QByteArray("data"));
    QCOMPARE(little32(wav, 40), quint32(14953 * 2));

    QVector<int> samples;
    for (int at = 44; at + 1 < wav.size(); at += 2)
        samples << qint16(little16(wav, at));
    QCOMPARE(samples.size(), 14953);

    // Audible, not clipped, and starting and ending at rest so that neither
    // end clicks.
    int loudest = 0;
    for (int s : samples)
        loudest = qMax(loudest, qAbs(s));
    QVERIFY(loudest > 32767 / 4);
    QVERIFY(loudest < 32767);
    const int quiet = 32767 / 100;
    for (int i = 0; i < 8; ++i) {
        QVERIFY2(qAbs(samples.at(i)) < quiet, qPrintable(QString::number(i)));
        QVERIFY2(qAbs(samples.at(samples.size() - 1 - i)) < quiet, qPrintable(QString::number(i)));
    }
}

QTEST_MAIN(TestResources)
#include "testresources.moc"
