#pragma once
// The control-information record's display colours and fonts as the screens
// draw with them. The record keeps them as Qt's data stream (version 7)
// writes them, so that the core needs no graphics library; the conversions
// go through that stream both ways and so lose nothing.

#include "ctrlinfo.h"

#include <QByteArray>
#include <QColor>
#include <QFont>

QColor toQColor(const StoredColor &color);
StoredColor toStoredColor(const QColor &color);

// A font's stream bytes back to the font; an empty or cut-short array gives
// the application's font.
QFont toQFont(const QByteArray &bytes);
QByteArray toFontBytes(const QFont &font);

// The record's font and colour number index.
QFont recordFont(const CtrlInfo &info, int index);
QColor recordColor(const CtrlInfo &info, int index);
