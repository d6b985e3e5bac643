#pragma once
// The tray icon's frames and the notifier's animated picture: a bell that swings and rings, 16 frames
// of 40 x 52 pixels, repeating, drawn at run time and written as a GIF so
// that QMovie plays it.

#include <QByteArray>
#include <QColor>
#include <QIcon>
#include <QImage>
#include <QList>

class QPainter;

namespace NotifierAnimation {
constexpr int kWidth = 40;
constexpr int kHeight = 52;
constexpr int kFrames = 16;
constexpr int kDelayMs = 80;

// The bell, hanging from (0, 0), about 24 x 28 units.
void DrawBell(QPainter& p, const QColor& outline, const QColor& body);
// The four 32 x 32 frames of the tray icon's alert animation.
QList<QIcon> TrayFrames();
QList<QImage> Frames();
// An animated GIF of the frames: every colour must be one of a few opaque
// colours or fully transparent (the frames are drawn without blending).
QByteArray EncodeGif(const QList<QImage>& frames, int delayMs);
QByteArray Gif();
}
