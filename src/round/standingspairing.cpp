#include "round/standingspairing.h"
