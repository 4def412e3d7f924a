// Build step: turns a PNG into the bundle's raw image form, so the app shows it without decoding.
// usage: zeltrin-pack-image IN.png OUT.argb   (--help for more)
//
// OUT is a 16-byte header ("ZARGB", version 1, two zero bytes, then the width and height as
// 32-bit little-endian numbers) and the pixels as premultiplied ARGB32, one 32-bit little-endian
// word per pixel, rows top down.
#include "CommandLine.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QtEndian>

#include <cstdio>

int main(int argc, char **argv)
{
    zeltrin::cli::CommandLine cli(argc, argv, QStringLiteral("Turns a PNG into the app bundle's raw image form."));
    cli.parser().addPositionalArgument(QStringLiteral("IN.png"), QStringLiteral("The image to read."));
    cli.parser().addPositionalArgument(QStringLiteral("OUT.argb"), QStringLiteral("The file to write."));
    cli.parseOrExit(2);
    if (cli.parser().positionalArguments().size() != 2)
        cli.fail(QStringLiteral("takes an image to read and a file to write."));
    const QString in = cli.positional(0), outPath = cli.positional(1);
    QImageReader reader(in, "png");
    const QImage image = reader.read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(in), qPrintable(reader.errorString()));
        return 1;
    }
    QByteArray out("ZARGB\x01\0\0", 8);
    const auto put32 = [&out](quint32 v) {
        const quint32 le = qToLittleEndian(v);
        out.append(reinterpret_cast<const char *>(&le), 4);
    };
    put32(quint32(image.width()));
    put32(quint32(image.height()));
    for (int y = 0; y < image.height(); ++y) {
        const auto *row = reinterpret_cast<const quint32 *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            put32(row[x]);
    }
    QFile file(outPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size()) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(outPath), qPrintable(file.errorString()));
        return 1;
    }
    return 0;
}
