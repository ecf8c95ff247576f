/* A C program of someone else's, built against an installed Ostrel through
   pkg-config. Several threads convert the same export at once, each with a
   converter of its own, into OUT_PREFIX<n>.dxf; each thread then checks the
   codes and texts of a broken export and of a missing one.
   usage: consumer USER_SETTINGS IN OUT_PREFIX BROKEN_IN THREADS */
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <ostrel/ostrel.h>

struct job {
    const char* settings;
    const char* in;
    const char* broken;
    char out[4096];
    char bad_out[4096];
    long steps;
    int messages;
    int failed;
};

static void on_message(void* context, const char* text, int icon) {
    (void)text;
    (void)icon;
    ((struct job*)context)->messages++;
}

static void on_progress(void* context, int event, long value) {
    if (event == OSTREL_PROGRESS_STEP) ((struct job*)context)->steps = value;
}

static void fail(struct job* job, const char* what, const ostrel_converter* c) {
    fprintf(stderr, "%s: %s: code %d: %s\n", job->out, what, ostrel_error_code(c), ostrel_error_message(c));
    job->failed = 1;
}

static void* convert(void* arg) {
    struct job* job = (struct job*)arg;
    ostrel_converter* c = ostrel_create();
    if (!c) {
        job->failed = 1;
        return NULL;
    }
    ostrel_set_user_settings(c, job->settings);
    ostrel_set_message_handler(c, on_message, NULL, job);
    ostrel_set_progress_handler(c, on_progress, job);
    if (ostrel_save_as_dwg(c, job->in, job->out) != OSTREL_ERROR_NONE) fail(job, "sample", c);
    if (job->steps <= 0) fail(job, "no progress reported", c);

    /* A broken export raises an error: its code and text are the caller's to read. */
    if (ostrel_save_as_dwg(c, job->broken, job->bad_out) != OSTREL_ERROR_END_OF_FILE ||
        ostrel_error_code(c) != OSTREL_ERROR_END_OF_FILE || !strstr(ostrel_error_message(c), "line"))
        fail(job, "broken export", c);
    /* A missing export only shows a message box: still reported. */
    if (ostrel_save_as_dwg(c, "/nonexistent/export.txt", job->bad_out) != OSTREL_ERROR_REPORTED ||
        strlen(ostrel_error_message(c)) == 0)
        fail(job, "missing export", c);
    ostrel_destroy(c);
    return NULL;
}

int main(int argc, char** argv) {
    if (argc != 6) return 2;
    int count = atoi(argv[5]);
    if (count < 1 || count > 64) return 2;
    struct job* jobs = calloc((size_t)count, sizeof *jobs);
    pthread_t* threads = calloc((size_t)count, sizeof *threads);
    if (!jobs || !threads) return 1;
    for (int i = 0; i < count; ++i) {
        jobs[i].settings = argv[1];
        jobs[i].in = argv[2];
        jobs[i].broken = argv[4];
        snprintf(jobs[i].out, sizeof jobs[i].out, "%s%d.dxf", argv[3], i);
        snprintf(jobs[i].bad_out, sizeof jobs[i].bad_out, "%s%d.broken.dxf", argv[3], i);
        if (pthread_create(&threads[i], NULL, convert, &jobs[i]) != 0) return 1;
    }
    int failed = 0;
    for (int i = 0; i < count; ++i) {
        pthread_join(threads[i], NULL);
        failed |= jobs[i].failed;
        printf("%s: %ld progress steps, %d messages%s\n", jobs[i].out, jobs[i].steps, jobs[i].messages,
               jobs[i].failed ? ", FAILED" : "");
    }
    if (ostrel_save_as_dwg(NULL, argv[2], jobs[0].out) != OSTREL_ERROR_ARGUMENT) failed = 1;
    free(jobs);
    free(threads);
    printf("ostrel %s\n", ostrel_version());
    return failed;
}
