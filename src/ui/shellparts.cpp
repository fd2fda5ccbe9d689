#include "shellparts.h"
