// Frame benchmark: the program's real frame (display with the scene and its
// textures) against a bare frame (clear and swap) in the same 640 x 480 window,
// measured alternately in one run, and the time from process start to the
// first swapped frame against a minimal GLUT program's.
//
// Run from the repository root (the scene reads img/), on any X display:
//   build/bench/frame_bench [blocks]
#include <GL/freeglut.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/shell.h"

namespace {

using Clock = std::chrono::steady_clock;

// The program's window, with swaps never waiting for the display's refresh.
void openBenchWindow(int* argc, char** argv) {
    setenv("vblank_mode", "0", 1);
    openWindow(argc, argv);
}

void bareFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glutSwapBuffers();
}

// Mean milliseconds per frame over `frames` calls of `frame`.
double timeFrames(void (*frame)(), int frames) {
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < frames; ++i) frame();
    glFinish();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count() / frames;
}

// Child mode: start as the program does, swap one frame, and exit.
int firstFrame(int argc, char** argv, bool real) {
    openBenchWindow(&argc, argv);
    if (real) {
        if (!init()) return 1;
        reshape(640, 480);
        display();
    } else {
        bareFrame();
    }
    glFinish();
    return 0;
}

// Milliseconds from fork to the exit of a child that swaps its first frame.
// A run that fails (a busy X server can refuse a connection) is run again.
double startUp(const char* self, const char* mode) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        const Clock::time_point start = Clock::now();
        const pid_t pid = fork();
        if (pid == 0) {
            execl(self, self, "--first-frame", mode, static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
            return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    }
    std::fprintf(stderr, "frame_bench: the %s start-up run failed\n", mode);
    std::exit(1);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--first-frame") == 0)
        return firstFrame(1, argv, std::strcmp(argv[2], "real") == 0);

    const int blocks = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const int perBlock = 100;
    std::vector<double> realStart, bareStart;
    for (int i = 0; i < 7; ++i) {
        realStart.push_back(startUp(argv[0], "real"));
        bareStart.push_back(startUp(argv[0], "bare"));
    }

    openBenchWindow(&argc, argv);
    if (!init()) return 1;
    reshape(640, 480);
    timeFrames(display, 200);  // warm-up
    timeFrames(bareFrame, 200);

    double real = 0, bare = 0;
    for (int b = 0; b < blocks; ++b) {
        real += timeFrames(display, perBlock) / blocks;
        bare += timeFrames(bareFrame, perBlock) / blocks;
    }
    std::printf("frames:       %d of each, in alternating blocks of %d\n", blocks * perBlock,
                perBlock);
    std::printf("real frame:   %.3f ms\n", real);
    std::printf("bare frame:   %.3f ms\n", bare);
    std::printf("ratio:        %.2f\n", real / bare);
    std::printf("first frame:  %.1f ms (minimal GLUT program: %.1f ms; medians of 7)\n",
                median(realStart), median(bareStart));
    return 0;
}
