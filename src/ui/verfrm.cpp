#include "verfrm.h"
