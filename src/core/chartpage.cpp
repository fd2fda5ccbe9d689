#include "chartpage.h"
