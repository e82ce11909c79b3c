/* Preloaded into a GLFW program (LD_PRELOAD) to see when frames are presented, without touching the
 * program: wraps glfwSwapBuffers, stamps the return of every swap with the wall clock and, at exit,
 * writes one stamp per line (nanoseconds since the epoch) to the file named by FRAME_PROBE_OUT.
 * FRAME_PROBE_SECONDS, when set, asks the window to close that many seconds after the first frame, as a
 * user closing it would. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

typedef struct GLFWwindow GLFWwindow;
typedef void (*swap_function)(GLFWwindow*);
typedef void (*close_function)(GLFWwindow*, int);

enum { max_frames = 1 << 20 };
static long long stamps[max_frames];
static size_t frame_count;

/* dlsym's object pointer turned into a function pointer without a cast ISO C frowns upon. */
static void* symbol(void* handle, const char* name, size_t size, void* function) {
    void* found = dlsym(handle, name);
    if (found) memcpy(function, &found, size);
    return found;
}

static long long now_ns(void) {
    struct timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    return (long long)ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

void glfwSwapBuffers(GLFWwindow* window) {
    static swap_function real_swap;
    static double close_after = -1.0;
    if (!real_swap) {
        symbol(RTLD_NEXT, "glfwSwapBuffers", sizeof real_swap, &real_swap);
        const char* seconds = getenv("FRAME_PROBE_SECONDS");
        if (seconds) close_after = atof(seconds);
    }
    real_swap(window);
    const long long stamp = now_ns();
    if (frame_count < max_frames) stamps[frame_count++] = stamp;
    if (close_after >= 0.0 && (double)(stamp - stamps[0]) / 1e9 >= close_after) {
        close_function set_close;
        if (symbol(RTLD_DEFAULT, "glfwSetWindowShouldClose", sizeof set_close, &set_close)) set_close(window, 1);
    }
}

__attribute__((destructor)) static void write_stamps(void) {
    const char* path = getenv("FRAME_PROBE_OUT");
    if (!path) return;
    FILE* out = fopen(path, "w");
    if (!out) return;
    for (size_t i = 0; i < frame_count; ++i) fprintf(out, "%lld\n", stamps[i]);
    fclose(out);
}
