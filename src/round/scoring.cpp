#include "round/scoring.h"
