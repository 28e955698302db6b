#pragma once
// The program's own picture: a grid of records under a magnifying glass.
#include <QPixmap>

QPixmap Sifa_Picture(int size);
