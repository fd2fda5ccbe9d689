#include "waitfrm.h"
