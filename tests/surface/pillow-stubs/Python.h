/* Stand-in for the Python header that Pillow's imaging core includes: only
 * the configuration macros, types and C headers its resampling and storage
 * code rely on, so the core builds as a plain C library for the benchmarks. */
#pragma once

#include <limits.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define HAVE_PROTOTYPES 1
#define STDC_HEADERS 1
#define SIZEOF_SHORT 2
#define SIZEOF_INT 4
#define SIZEOF_LONG __SIZEOF_LONG__
#define SIZEOF_LONG_LONG 8

typedef intptr_t Py_ssize_t;
typedef struct _object PyObject;
