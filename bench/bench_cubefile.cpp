// Cube file benchmark: a crafted file of about 1 MB whose compressed part
// unpacks to 1 GB (zeros), read by the cube's load, beside the baseline
// measured in the same run: the whole part unpacked by qUncompress and then
// parsed, as the load did before it bounded the unpacking.
//
//   QT_QPA_PLATFORM=offscreen bench_cubefile [--mb N] [--rounds R]
//
// N is the unpacked size in MB (1024 unless told). The file is of the second
// version, whose header names no rows (its bound is 64 times its compressed
// size); a third-version file claiming the same size for a handful of rows is
// timed beside it.

#include "benchmemory.h"
#include "cube/model/cubemodel.h"

#include <QCborValue>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstdio>
#include <sodium.h>
#include <zlib.h>

using namespace kq::platform;

namespace {

template<typename T>
QByteArray bigEndian(T value)
{
    QByteArray out(sizeof(T), Qt::Uninitialized);
    qToBigEndian(value, out.data());
    return out;
}

QByteArray checksum(const QByteArray &bytes)
{
    QByteArray out(16, Qt::Uninitialized);
    crypto_generichash(reinterpret_cast<unsigned char *>(out.data()), 16,
                       reinterpret_cast<const unsigned char *>(bytes.constData()),
                       quint64(bytes.size()), nullptr, 0);
    return out;
}

// qCompress's layout (the size, then a zlib stream) of `size` zero bytes,
// made in steps so that the zeros are never held whole.
QByteArray packedZeros(quint32 size)
{
    QByteArray out = bigEndian(size);
    z_stream z{};
    deflateInit(&z, 9); // as tightly as zlib packs: about 1 MB
    const QByteArray zeros(1 << 20, '\0');
    QByteArray chunk(1 << 16, Qt::Uninitialized);
    quint32 left = size;
    int flush = Z_NO_FLUSH;
    do {
        if (z.avail_in == 0 && flush == Z_NO_FLUSH) {
            const quint32 n = qMin<quint32>(left, quint32(zeros.size()));
            z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(zeros.constData()));
            z.avail_in = n;
            left -= n;
            if (left == 0)
                flush = Z_FINISH;
        }
        z.next_out = reinterpret_cast<Bytef *>(chunk.data());
        z.avail_out = uInt(chunk.size());
        deflate(&z, flush);
        out.append(chunk.constData(), chunk.size() - qsizetype(z.avail_out));
    } while (!(flush == Z_FINISH && z.avail_out != 0));
    deflateEnd(&z);
    return out;
}

// A plain, compressed file "with data" around the packed part, its checksums
// right; from version 3 on with the size and the rows and columns it claims.
QByteArray craftedFile(int version, const QByteArray &packed, quint64 size)
{
    QByteArray bytes
        = QByteArray("KQCUBE\0", 7) + bigEndian(quint16(version)) + char(1 | 2) + checksum(packed);
    if (version >= 3)
        bytes += bigEndian(size) + bigEndian(quint32(5)) + bigEndian(quint32(14));
    return bytes + checksum(bytes) + packed;
}

struct Figures
{
    double seconds = 0;
    long peakMb = 0; // above the memory held before
    QString result;
};

template<typename Run>
Figures measure(Run run)
{
    kq::bench::resetPeak();
    const long before = kq::bench::rssMb();
    QElapsedTimer t;
    t.start();
    Figures f;
    f.result = run();
    f.seconds = double(t.nsecsElapsed()) / 1e9;
    f.peakMb = kq::bench::peakMb() - before;
    return f;
}

Figures best(const Figures &a, const Figures &b)
{
    return a.seconds <= b.seconds ? a : b;
}

void row(const char *what, const Figures &f)
{
    std::printf("| %-52s | %8.3f s | %6ld MB | %s\n", what, f.seconds, f.peakMb,
                qPrintable(f.result));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    quint32 mb = 1024;
    int rounds = 3;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--mb"))
            mb = args.at(i + 1).toUInt();
        else if (args.at(i) == QLatin1String("--rounds"))
            rounds = qMax(1, args.at(i + 1).toInt());
    }
    if (sodium_init() < 0)
        return 1;
    QTemporaryDir dir;
    const quint32 size = mb << 20;
    const QByteArray packed = packedZeros(size);
    const QString second = dir.filePath(QStringLiteral("v2.cub"));
    const QString third = dir.filePath(QStringLiteral("v3.cub"));
    for (const auto &[path, version] : {std::pair{second, 2}, std::pair{third, 3}}) {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(craftedFile(version, packed, size)) < 0)
            return 1;
    }
    std::printf("crafted file: %.2f MB, unpacking to %u MB; best of %d rounds\n\n",
                double(QFile(second).size()) / 1e6, mb, rounds);
    std::printf("| %-52s | %10s | %9s | result\n", "", "time", "peak");

    auto load = [](const QString &path) {
        return [path] {
            CubeModel m;
            const CubeResult r = m.load(path);
            return r.ok ? QStringLiteral("loaded") : r.description;
        };
    };
    // Before: the whole part unpacked, then parsed.
    auto baseline = [&packed] {
        QByteArray payload = qUncompress(packed);
        if (payload.isEmpty())
            return QStringLiteral("not unpacked");
        QCborParserError error;
        const QCborValue root = QCborValue::fromCbor(payload, &error);
        return root.isMap() ? QStringLiteral("a map") : QStringLiteral("refused, not a map");
    };
    Figures now2, now3, before;
    for (int r = 0; r < rounds; ++r) {
        const Figures a = measure(load(second));
        const Figures b = measure(load(third));
        now2 = r ? best(now2, a) : a;
        now3 = r ? best(now3, b) : b;
    }
    for (int r = 0; r < rounds; ++r) {
        const Figures c = measure(baseline);
        before = r ? best(before, c) : c;
    }
    row("load, second-version file (target < 0.1 s, < 50 MB)", now2);
    row("load, third-version file claiming 5 rows", now3);
    row("baseline: qUncompress and parse", before);
    return 0;
}
