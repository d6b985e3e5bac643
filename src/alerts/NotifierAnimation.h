#pragma once
// The notifier's animated picture: a bell that swings and rings, 16 frames
// of 40 x 52 pixels, repeating, drawn at run time and written as a GIF so
// that QMovie plays it.

#include <QByteArray>
#include <QImage>
#include <QList>

namespace NotifierAnimation {
constexpr int kWidth = 40;
constexpr int kHeight = 52;
constexpr int kFrames = 16;
constexpr int kDelayMs = 80;

QList<QImage> Frames();
// An animated GIF of the frames: every colour must be one of a few opaque
// colours or fully transparent (the frames are drawn without blending).
QByteArray EncodeGif(const QList<QImage>& frames, int delayMs);
QByteArray Gif();
}
