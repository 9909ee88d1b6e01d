// The kinds of shell item entries that behave as any shell item: a file-system item that is not a folder,
// and everything else that is neither (control panel items, printers, ...).
#pragma once

#include "operations/FileObject.h"

class TFileButton : public TFileObject {
public:
    using TFileObject::TFileObject;
};

class SpecialObjectButton : public TFileObject {
public:
    using TFileObject::TFileObject;
};
