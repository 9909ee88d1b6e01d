// The program-wide attribute cache: made by the main function before the main form and freed after the
// message loop (null outside that time). Folder windows look up the attributes of removable drives
// here, so that each drive is touched only once.
#pragma once

class TListOfITEMIDLIST;

extern TListOfITEMIDLIST* AttributeCache;
