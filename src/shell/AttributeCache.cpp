#include "shell/AttributeCache.h"

TListOfITEMIDLIST* AttributeCache = nullptr;
