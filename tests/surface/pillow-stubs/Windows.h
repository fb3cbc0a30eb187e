/* On Windows the imaging core takes its fixed-size integer names from the
 * system headers; these are the same types, without pulling in the whole
 * Windows API for a benchmark yardstick. */
#pragma once

typedef signed char INT8;
typedef short INT16;
typedef int INT32;
typedef long long INT64;
typedef unsigned char UINT8;
typedef unsigned short UINT16;
typedef unsigned int UINT32;
