// Finding a picture in a screenshot.
#pragma once

#include <QImage>
#include <QPoint>

namespace testsupport {

// Where `needle` appears in `haystack` with the most pixels alike, and how many are.
struct Found {
    QPoint at;
    int matching = 0;
};

inline Found BestMatch(const QImage& haystack, const QImage& needle) {
    Found best;
    const QImage hay = haystack.convertToFormat(QImage::Format_RGB32);
    const QImage pin = needle.convertToFormat(QImage::Format_RGB32);
    const auto row = [](const QImage& image, int x, int y) {
        return reinterpret_cast<const QRgb*>(image.constScanLine(y)) + x;
    };
    for (int y = 0; y + pin.height() <= hay.height(); ++y) {
        for (int x = 0; x + pin.width() <= hay.width(); ++x) {
            // Candidates share the picture's first row; a candidate is given up once it cannot beat the best.
            const QRgb* first = row(hay, x, y);
            const QRgb* wanted = row(pin, 0, 0);
            int missing = 0;
            for (int u = 0; u < pin.width() && missing < 8; ++u) missing += ((first[u] ^ wanted[u]) & 0xFFFFFFu) != 0;
            if (missing >= 8) continue;
            const int total = pin.width() * pin.height();
            missing = 0;
            for (int v = 0; v < pin.height() && total - missing > best.matching; ++v) {
                const QRgb* a = row(hay, x, y + v);
                const QRgb* b = row(pin, 0, v);
                for (int u = 0; u < pin.width(); ++u) missing += ((a[u] ^ b[u]) & 0xFFFFFFu) != 0;
            }
            if (total - missing > best.matching) best = {QPoint(x, y), total - missing};
        }
    }
    return best;
}

// How many of the needle's black pixels show black at `at` in the haystack, and how many it has.
struct BlackCount {
    int shown = 0;
    int drawn = 0;
};
inline BlackCount BlackShown(const QImage& haystack, const QImage& needle, QPoint at) {
    BlackCount count;
    for (int y = 0; y < needle.height(); ++y) {
        for (int x = 0; x < needle.width(); ++x) {
            if ((needle.pixel(x, y) & 0xFFFFFFu) != 0) continue;
            ++count.drawn;
            count.shown += (haystack.pixel(at + QPoint(x, y)) & 0xFFFFFFu) == 0;
        }
    }
    return count;
}

}  // namespace testsupport
