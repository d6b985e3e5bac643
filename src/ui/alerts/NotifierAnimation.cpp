#include "ui/alerts/NotifierAnimation.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QVector>
#include <cmath>

namespace NotifierAnimation {

namespace {

const QRgb kOutline = qRgb(92, 58, 8);
const QRgb kBell = qRgb(236, 184, 36);
const QRgb kShine = qRgb(255, 236, 150);
const QRgb kRing = qRgb(208, 40, 32);

void Put16(QByteArray& out, int value) {
    out.append(char(value & 0xFF));
    out.append(char((value >> 8) & 0xFF));
}

}  // namespace

void DrawBell(QPainter& p, const QColor& outline, const QColor& body) {
    QPainterPath bell;
    bell.moveTo(-10, 20);
    bell.cubicTo(-10, 4, -7, 2, 0, 2);
    bell.cubicTo(7, 2, 10, 4, 10, 20);
    bell.lineTo(12, 23);
    bell.lineTo(-12, 23);
    bell.closeSubpath();
    p.setPen(QPen(outline, 1.5));
    p.setBrush(body);
    p.drawPath(bell);
    p.drawEllipse(QPointF(0, 25.5), 2.5, 2.5);   // the clapper
}

QList<QIcon> TrayFrames() {
    QList<QIcon> frames;
    for (int angle : {0, 20, 0, -20}) {
        QPixmap pix(32, 32);
        pix.fill(Qt::transparent);
        QPainter p(&pix);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(16, 4);
        p.rotate(angle);
        DrawBell(p, QColor(90, 60, 0), QColor(240, 190, 40));
        p.end();
        frames << QIcon(pix);
    }
    return frames;
}

QList<QImage> Frames() {
    QList<QImage> frames;
    for (int i = 0; i < kFrames; ++i) {
        QImage img(kWidth, kHeight, QImage::Format_ARGB32);
        img.fill(Qt::transparent);
        QPainter p(&img);
        // Hard edges: each pixel is one of the palette's colours.
        p.setRenderHint(QPainter::Antialiasing, false);
        const double swing = 24.0 * std::sin(2.0 * M_PI * i / kFrames);
        p.translate(kWidth / 2.0, 10);
        p.rotate(swing);
        p.scale(1.2, 1.2);
        DrawBell(p, QColor(kOutline), QColor(kBell));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(kShine));
        p.drawRect(QRectF(-6, 7, 2.5, 11));
        p.setBrush(QColor(kOutline));
        p.drawRect(QRectF(-1.5, -2.5, 3, 4.5));     // the hanger
        p.resetTransform();
        // Rings on both sides while the bell is at the ends of its swing.
        if (std::abs(swing) > 12) {
            p.setPen(QPen(QColor(kRing), 2));
            p.setBrush(Qt::NoBrush);
            const int n = std::abs(swing) > 20 ? 2 : 1;
            for (int k = 0; k < n; ++k) {
                const int r = 4 + 4 * k;
                p.drawArc(QRect(1 + 2 - k * 2, 38 - r, r, 2 * r), 90 * 16, 180 * 16);
                p.drawArc(QRect(kWidth - 3 - r + k * 2, 38 - r, r, 2 * r), -90 * 16, 180 * 16);
            }
        }
        p.end();
        frames << img;
    }
    return frames;
}

QByteArray EncodeGif(const QList<QImage>& frames, int delayMs) {
    if (frames.isEmpty()) return QByteArray();
    const int w = frames.first().width();
    const int h = frames.first().height();
    // Index 0 is transparent; the others are the colours met, up to 127.
    QVector<QRgb> palette{0};
    QHash<QRgb, int> index;
    auto indexOf = [&](QRgb c) {
        if (qAlpha(c) < 128) return 0;
        c |= 0xFF000000u;
        auto it = index.constFind(c);
        if (it != index.constEnd()) return *it;
        if (palette.size() < 128) {
            index.insert(c, int(palette.size()));
            palette.push_back(c);
            return int(palette.size()) - 1;
        }
        int best = 1, bestDist = INT32_MAX;   // a full palette: the nearest
        for (int k = 1; k < palette.size(); ++k) {
            const int dr = qRed(c) - qRed(palette[k]), dg = qGreen(c) - qGreen(palette[k]),
                      db = qBlue(c) - qBlue(palette[k]);
            const int d = dr * dr + dg * dg + db * db;
            if (d < bestDist) { bestDist = d; best = k; }
        }
        return best;
    };
    QList<QByteArray> pixels;
    for (const QImage& frame : frames) {
        const QImage img = frame.convertToFormat(QImage::Format_ARGB32).scaled(w, h);
        QByteArray idx;
        idx.reserve(w * h);
        for (int y = 0; y < h; ++y) {
            const QRgb* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
            for (int x = 0; x < w; ++x) idx.append(char(indexOf(line[x])));
        }
        pixels << idx;
    }

    QByteArray out("GIF89a");
    Put16(out, w);
    Put16(out, h);
    out.append(char(0xF6));   // a global table of 128 colours
    out.append(char(0));
    out.append(char(0));
    for (int k = 0; k < 128; ++k) {
        const QRgb c = k < palette.size() ? palette[k] : 0;
        out.append(char(qRed(c)));
        out.append(char(qGreen(c)));
        out.append(char(qBlue(c)));
    }
    out.append("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);   // repeat for ever
    const int delay = std::max(1, delayMs / 10);
    for (const QByteArray& idx : pixels) {
        out.append("\x21\xF9\x04", 3);
        out.append(char(0x09));   // restore to background, index 0 transparent
        Put16(out, delay);
        out.append(char(0));
        out.append(char(0));
        out.append(char(0x2C));
        Put16(out, 0);
        Put16(out, 0);
        Put16(out, w);
        Put16(out, h);
        out.append(char(0));
        // LZW with a code size of 8 bits: every code is one byte. A clear
        // code every 100 pixels keeps the decoder's table, and so the code
        // size, from growing: plain, uncompressed, valid.
        const int minCodeSize = 7;
        const char clear = char(1 << minCodeSize), end = char((1 << minCodeSize) + 1);
        out.append(char(minCodeSize));
        QByteArray codes;
        codes.reserve(idx.size() + idx.size() / 100 + 2);
        for (int k = 0; k < idx.size(); ++k) {
            if (k % 100 == 0) codes.append(clear);
            codes.append(idx[k]);
        }
        codes.append(end);
        for (int k = 0; k < codes.size(); k += 255) {
            const int n = std::min<int>(255, int(codes.size()) - k);
            out.append(char(n));
            out.append(codes.constData() + k, n);
        }
        out.append(char(0));
    }
    out.append(char(0x3B));
    return out;
}

QByteArray Gif() {
    static const QByteArray gif = EncodeGif(Frames(), kDelayMs);
    return gif;
}

}  // namespace NotifierAnimation
