/* Times Help101 against the ffmpeg tool on the same source, in one run.
 * Usage: mellorin-bench LIBRARY SOURCE OUTDIR [--no-reference]
 * Prints the best wall times, their ratio and the peak resident set sizes. */
#define _GNU_SOURCE
#include "mellorin/help101.h"

#include <dlfcn.h>
#include <spawn.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

static int32_t lastProgress;
static void OnProgress(int32_t total) {
    lastProgress = total;
}

static double Now(void) {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (double)ts.tv_sec + (double)ts.tv_nsec / 1e9;
}

int main(int argc, char** argv) {
    if (argc < 4) {
        fprintf(stderr, "usage: %s LIBRARY SOURCE OUTDIR [--no-reference]\n", argv[0]);
        return 2;
    }
    const int reference = !(argc > 4 && strcmp(argv[4], "--no-reference") == 0);
    void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        fprintf(stderr, "dlopen: %s\n", dlerror());
        return 1;
    }
    Help101Fn help101 = (Help101Fn)dlsym(library, "Help101");
    if (!help101) {
        fprintf(stderr, "dlsym: %s\n", dlerror());
        return 1;
    }
    char ours[4096], theirs[4096];
    snprintf(ours, sizeof ours, "%s/help101.wav", argv[3]);
    snprintf(theirs, sizeof theirs, "%s/ffmpeg.wav", argv[3]);

    /* Three alternating rounds, best of each, so that neither side profits from going
     * second (page cache, CPU frequency) on this shared machine. */
    const int rounds = reference ? 3 : 1;
    double oursBest = 1e9, theirsBest = 1e9;
    long theirsRss = 0;
    int32_t result = 0;
    for (int round = 0; round < rounds; ++round) {
        unlink(ours);
        const double start = Now();
        result = help101(argv[2], ours, OnProgress);
        const double seconds = Now() - start;
        if (result != 1) {
            fprintf(stderr, "Help101 failed\n");
            return 1;
        }
        oursBest = seconds < oursBest ? seconds : oursBest;
        if (!reference) {
            break;
        }
        char* ffmpegArgs[] = {"ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error",
                              "-y",     "-i",       argv[2],        theirs,      NULL};
        const double spawnStart = Now();
        pid_t pid;
        if (posix_spawnp(&pid, "ffmpeg", NULL, NULL, ffmpegArgs, environ) != 0) {
            perror("posix_spawnp ffmpeg");
            return 1;
        }
        int status = 0;
        struct rusage child;
        if (wait4(pid, &status, 0, &child) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            fprintf(stderr, "ffmpeg failed\n");
            return 1;
        }
        const double theirsSeconds = Now() - spawnStart;
        theirsBest = theirsSeconds < theirsBest ? theirsSeconds : theirsBest;
        theirsRss = child.ru_maxrss > theirsRss ? child.ru_maxrss : theirsRss;
    }
    struct rusage self;
    getrusage(RUSAGE_SELF, &self);
    printf("Help101: result %d, %d data bytes, %.3f s, peak RSS %ld KiB\n", result, lastProgress,
           oursBest, self.ru_maxrss);
    if (reference) {
        printf("ffmpeg:  %.3f s, peak RSS %ld KiB\n", theirsBest, theirsRss);
        printf("ratio Help101/ffmpeg: %.3f (goal <= 0.85)\n", oursBest / theirsBest);
    }
    return 0;
}
