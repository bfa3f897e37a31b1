// The beat grid is a plain value of the model (model/beat_grid.h), so that the
// dance generator can use it without the beats library.
#pragma once

#include "model/beat_grid.h"
