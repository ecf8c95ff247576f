/* Converts several exports at once through Ostrel's C interface: one thread
   and one converter for each IN OUT pair. Prints what became of each.
   Build: cc convert_many.c $(pkg-config --cflags --libs ostrel) -pthread
   usage: convert_many USER_SETTINGS IN OUT [IN OUT]... */
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>

#include <ostrel/ostrel.h>

struct job {
    const char* settings;
    const char* in;
    const char* out;
    long steps;
    int code;
    char message[512];
};

static void on_progress(void* context, int event, long value) {
    if (event == OSTREL_PROGRESS_STEP) ((struct job*)context)->steps = value;
}

static void* convert(void* arg) {
    struct job* job = (struct job*)arg;
    ostrel_converter* converter = ostrel_create();
    if (!converter) {
        job->code = OSTREL_ERROR_OTHER;
        snprintf(job->message, sizeof job->message, "out of memory");
        return NULL;
    }
    ostrel_set_user_settings(converter, job->settings);
    ostrel_set_progress_handler(converter, on_progress, job);
    job->code = ostrel_save_as_dwg(converter, job->in, job->out);
    snprintf(job->message, sizeof job->message, "%s", ostrel_error_message(converter));
    ostrel_destroy(converter);
    return NULL;
}

int main(int argc, char** argv) {
    if (argc < 4 || argc % 2 != 0) {
        fprintf(stderr, "usage: convert_many USER_SETTINGS IN OUT [IN OUT]...\n");
        return 2;
    }
    int count = (argc - 2) / 2, failed = 0;
    struct job* jobs = calloc((size_t)count, sizeof *jobs);
    pthread_t* threads = calloc((size_t)count, sizeof *threads);
    if (!jobs || !threads) return 1;
    printf("Ostrel %s\n", ostrel_version());
    for (int i = 0; i < count; ++i) {
        jobs[i].settings = argv[1];
        jobs[i].in = argv[2 + 2 * i];
        jobs[i].out = argv[3 + 2 * i];
        if (pthread_create(&threads[i], NULL, convert, &jobs[i]) != 0) return 1;
    }
    for (int i = 0; i < count; ++i) {
        pthread_join(threads[i], NULL);
        if (jobs[i].code == OSTREL_ERROR_NONE) {
            printf("%s: written (%ld sheet steps)\n", jobs[i].out, jobs[i].steps);
        } else {
            printf("%s: error %d: %s\n", jobs[i].in, jobs[i].code, jobs[i].message);
            failed = 1;
        }
    }
    free(jobs);
    free(threads);
    return failed;
}
