#include "QtPainterSurface.h"
