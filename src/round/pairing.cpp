#include "round/pairing.h"
