#pragma once
// Former place of the barcode header; callers should include
// "print/barcode/Ean13.h" instead.
#include "print/barcode/Ean13.h"
