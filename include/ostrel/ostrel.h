#ifndef OSTREL_OSTREL_H
#define OSTREL_OSTREL_H
/* C interface for hosts in other languages.

   A converter (ostrel_converter) is one conversion instance, like one
   ostrel::clsDWG: it reads the settings when it first converts and keeps its
   state from one conversion to the next. Converters are independent of each
   other: several threads may convert at once, each with its own converter.
   One converter must not be used by two threads at the same time. */
#include "ostrel/export.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Results of ostrel_convert. */
enum {
    OSTREL_OK = 0,          /* the call ended without an error */
    OSTREL_FAILED = 1       /* the conversion raised an error; see the error text */
};

/* Error codes of a converter (ostrel_error_code). The first eight are the
   codes of ostrel::ErrorCode. */
enum ostrel_error {
    OSTREL_ERROR_NONE = 0,
    OSTREL_ERROR_OVERFLOW = 6,             /* a count or code beyond its 16- or 32-bit range */
    OSTREL_ERROR_SUBSCRIPT = 9,            /* a fixed list ran over */
    OSTREL_ERROR_TYPE_MISMATCH = 13,       /* a strict number conversion failed */
    OSTREL_ERROR_FILE_NOT_FOUND = 53,
    OSTREL_ERROR_END_OF_FILE = 62,         /* a read past the end of the export */
    OSTREL_ERROR_TOOLKIT = 1000,           /* a drawing toolkit operation failed */
    OSTREL_ERROR_LIBRARY = 1001,           /* the toolkit could not be initialised */
    OSTREL_ERROR_INTERNAL = 1002,
    OSTREL_ERROR_ARGUMENT = 2000,          /* a NULL converter or path */
    OSTREL_ERROR_REPORTED = 2001,          /* no error was raised, but the run showed an error message
                                              (for example the export could not be opened) */
    OSTREL_ERROR_NOT_WRITTEN = 2002,       /* no error was raised, but the drawing was not written */
    OSTREL_ERROR_OTHER = 2003              /* any other failure (out of memory, a system error) */
};

/* Message box icons passed to an ostrel_message_fn. */
enum ostrel_icon { OSTREL_ICON_NONE = 0, OSTREL_ICON_CRITICAL = 1, OSTREL_ICON_EXCLAMATION = 2 };

/* Progress events passed to an ostrel_progress_fn: START with the number of
   steps to come, STEP with the number of steps made so far, FINISH with the
   number of steps made. */
enum ostrel_progress_event { OSTREL_PROGRESS_START = 0, OSTREL_PROGRESS_STEP = 1, OSTREL_PROGRESS_FINISH = 2 };

/* A message box of the conversion (an OK box). */
typedef void (*ostrel_message_fn)(void* context, const char* text, int icon);
/* A Yes/No question of the conversion: nonzero for Yes. */
typedef int (*ostrel_question_fn)(void* context, const char* text);
/* Progress of the sheet pass. */
typedef void (*ostrel_progress_fn)(void* context, int event, long value);

typedef struct ostrel_converter ostrel_converter;

/* A new converter, or NULL when memory ran out. Free it with ostrel_destroy. */
OSTREL_API ostrel_converter* ostrel_create(void);
OSTREL_API void ostrel_destroy(ostrel_converter* converter);

/* The user settings file, used instead of the registry's "userini" value
   (NULL: the registry). Messages are discarded and questions answered Yes
   unless handlers are set (either may be NULL); progress is not shown unless
   a handler is set. Each setting takes effect at the next conversion, which
   then reads the settings anew. Return OSTREL_ERROR_NONE, or
   OSTREL_ERROR_ARGUMENT for a NULL converter. */
OSTREL_API int ostrel_set_user_settings(ostrel_converter* converter, const char* path);
OSTREL_API int ostrel_set_message_handler(ostrel_converter* converter, ostrel_message_fn message,
                                          ostrel_question_fn question, void* context);
OSTREL_API int ostrel_set_progress_handler(ostrel_converter* converter, ostrel_progress_fn progress,
                                           void* context);

/* Converts the export `in` into the drawing `out` (DWG when the upper-cased
   path contains ".DWG", else DXF). Returns OSTREL_ERROR_NONE when the drawing
   was written and no error message was shown, else an error code; the code
   and a description stay readable through ostrel_error_code and
   ostrel_error_message until the converter's next call. */
OSTREL_API int ostrel_save_as_dwg(ostrel_converter* converter, const char* in, const char* out);

/* The code and the description of the converter's last conversion
   (OSTREL_ERROR_NONE and "" after a successful one). The text belongs to the
   converter and stays valid until its next call. */
OSTREL_API int ostrel_error_code(const ostrel_converter* converter);
OSTREL_API const char* ostrel_error_message(const ostrel_converter* converter);

/* One conversion with a converter of its own. user_settings may be NULL
   (then the registry's "userini" value is used). Messages are discarded and
   questions answered Yes. When the conversion raises an error, writes a
   NUL-terminated description into error_text (at most error_size bytes, may
   be NULL) and returns OSTREL_FAILED; a run that only shows an error message
   returns OSTREL_OK (ostrel_save_as_dwg tells these apart). */
OSTREL_API int ostrel_convert(const char* in, const char* out, const char* user_settings, char* error_text,
                              unsigned long error_size);

/* The library's version text ("1.0.0"). */
OSTREL_API const char* ostrel_version(void);

#ifdef __cplusplus
}
#endif
#endif
