#ifndef OSTREL_OSTREL_H
#define OSTREL_OSTREL_H
/* C interface for hosts in other languages. */
#ifdef __cplusplus
extern "C" {
#endif

enum {
    OSTREL_OK = 0,          /* the call ended without an error */
    OSTREL_FAILED = 1       /* the conversion raised an error; see the error text */
};

/* Converts the export `in` into the drawing `out`. user_settings may be NULL
   (then the registry's "userini" value is used). Messages are discarded and
   questions answered Yes. On failure writes a NUL-terminated description into
   error_text (at most error_size bytes, may be NULL) and returns OSTREL_FAILED. */
int ostrel_convert(const char* in, const char* out, const char* user_settings,
                   char* error_text, unsigned long error_size);

/* The library's version text. */
const char* ostrel_version(void);

#ifdef __cplusplus
}
#endif
#endif
