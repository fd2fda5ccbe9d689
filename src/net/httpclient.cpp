#include "httpclient.h"
