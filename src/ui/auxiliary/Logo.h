// The product logo, drawn rather than shipped: a clock face with a quill for a hand.
#pragma once

#include <QPixmap>

QPixmap DrawLogo(int size);
