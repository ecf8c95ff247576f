#ifndef OSTREL_EXPORT_H
#define OSTREL_EXPORT_H
/* OSTREL_API marks what the shared library exports; everything else in it is
   built with hidden visibility. On Windows the library is linked statically
   (Ostrel.dll, the COM server, exports through its .def file only), so the
   mark is empty there. */
#if defined(_WIN32) || defined(__CYGWIN__)
#define OSTREL_API
#elif defined(__GNUC__)
#define OSTREL_API __attribute__((visibility("default")))
#else
#define OSTREL_API
#endif
#endif
