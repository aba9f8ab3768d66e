// Runs the real program as a child process and watches it through the X
// server: its window, its picture, its keys, its exit status and stderr.
#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "fixtures.h"

// Repeats `done` every 20 ms until it is true or `seconds` have passed.
template <typename F>
bool poll(double seconds, F done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

struct Pixel {
    int r, g, b;
    int maxChannel() const;
};

struct Picture {
    int width = 0, height = 0;
    std::vector<Pixel> pixels;  // top row first
    Pixel at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// Openbox, a window manager that supports full screen the way desktops do,
// running on the display for as long as the object lives.
class WindowManager {
  public:
    WindowManager();
    ~WindowManager();
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;
    bool running() const { return ready; }

  private:
    pid_t pid = -1;
    bool ready = false;
};

class Program {
  public:
    // Runs `command` (by default, this build's velmorath) with `dir` as its
    // working directory: the program itself, or the program under a wrapper
    // such as apitrace or Wine.
    explicit Program(const std::string& dir, std::vector<std::string> command = {});
    ~Program();  // kills the program if it still runs
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    Display* display() const { return x; }
    // The window with this caption, once it is mapped; 0 if none appears in time.
    Window window(double seconds = 10, const std::string& caption = "Velmorath!");
    // Waits until the window shows something other than black.
    void waitForPicture(double seconds = 10);
    // Lets the program draw for a while after a change.
    void settle() const;
    Picture capture();
    // Focuses the window and types the keys, with xdotool's key names.
    void key(const std::string& keys);
    // Asks the window to close, as a window manager's close button does.
    void close();

    // The exit status (a signal counts as 128 + its number), or -1 if the
    // program still runs after `seconds`.
    int wait(double seconds);
    bool running();
    // What the program wrote on stderr; complete once it has exited.
    std::string errors();

  private:
    pid_t pid = -1;
    int status = -1;
    int errorPipe = -1;
    std::string errorText;
    Display* x = nullptr;
    Window win = 0;
};

// The Sun's square, 160 pixels a side about the middle of the window, in view
// 5 (F6), where it is 58 pixels in radius: pressing F6, it waits until two
// pictures in a row agree, as the Earth and the Moon, the only things that
// move over it, pass before it only for a moment. Empty if the window is not
// 640 x 480.
std::vector<Pixel> steadySun(Program& program);
// That square as this build's program draws it, started in the source folder;
// empty if the Sun does not fill it as it should.
std::vector<Pixel> thisBuildsSun();
// The largest channel difference between two such squares, and how many
// pixels differ; 256 if they are not alike in size.
std::pair<int, int> difference(const std::vector<Pixel>& a, const std::vector<Pixel>& b);
