// The product's identification: the one place its version numbers and names are written.
// Included by C++ code and by the resource scripts (windres), so plain macros only.
#pragma once

#define QUILLON_VERSION_MAJOR 1
#define QUILLON_VERSION_MINOR 0
#define QUILLON_VERSION_BUILD 1020
#define QUILLON_VERSION_REVISION 0
#define QUILLON_VERSION_DOTTED "1.0.1020.0"

#define QUILLON_VERSION_TEXT L"01.00.1020.0000"
#define QUILLON_RELEASE_DATE_TEXT L"2008-08-11"
#define QUILLON_PROVIDER_TEXT L"Velmora Workshop"
#define QUILLON_PRODUCT_TEXT L"Quillon"
#define QUILLON_SIGNATURE_TEXT L"KTRM-0001-0007"
// windres reads \x escapes in wide strings but not \u ones; both compilers agree on these.
#define QUILLON_PRODUCT_NAME_TEXT L"Velmora\x00AE Glidepath\x2122 Series"
#define QUILLON_PRODUCT_VERSION_TEXT L"1.0 Stable Release"
