#include "associndex.h"

namespace vorq {}
