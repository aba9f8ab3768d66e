#include "program.h"

#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <thread>

namespace {

void pause(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// A window with this caption at or below `parent`, mapped; 0 if none.
Window findWindow(Display* x, Window parent, const std::string& caption) {
    Window found = 0, root = 0, up = 0, *children = nullptr;
    unsigned count = 0;
    XQueryTree(x, parent, &root, &up, &children, &count);
    for (unsigned i = 0; i < count && !found; ++i) {
        char* name = nullptr;
        XWindowAttributes attributes{};
        if (XFetchName(x, children[i], &name) && name == caption &&
            XGetWindowAttributes(x, children[i], &attributes) && attributes.map_state == IsViewable)
            found = children[i];
        else
            found = findWindow(x, children[i], caption);  // under a window manager's frame
        if (name) XFree(name);
    }
    if (children) XFree(children);
    return found;
}

// Starts a program with its output discarded.
pid_t spawn(const char* file, char* const argv[]) {
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execvp(file, argv);
        _exit(127);
    }
    return pid;
}

}  // namespace

WindowManager::WindowManager() {
    char name[] = "openbox";
    char* argv[] = {name, nullptr};
    pid = spawn("openbox", argv);
    Display* x = XOpenDisplay(nullptr);
    if (!x) return;
    // Ready once it frames a window of ours: a window manager announces itself
    // before it manages windows, and a slow start (openbox with fontconfig's
    // cache missing, for one) shows here rather than as the program's fault.
    // A window mapped before it starts is framed when it does.
    const Window probe = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 8, 8, 0, 0, 0);
    XMapWindow(x, probe);
    XFlush(x);
    ready = poll(30, [&] {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        XQueryTree(x, probe, &root, &parent, &children, &count);
        if (children) XFree(children);
        return parent != root;
    });
    XDestroyWindow(x, probe);
    XCloseDisplay(x);
}

WindowManager::~WindowManager() {
    if (pid > 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
}

int Pixel::maxChannel() const {
    return std::max({r, g, b});
}

Program::Program(const std::string& dir, std::vector<std::string> command) {
    if (command.empty()) command = {VELMORATH_EXE};
    // Windows come and go while findWindow walks the tree (Wine makes and drops
    // some at start-up); an X error about one that just went is no failure,
    // and Xlib's default handler would end the test process on it.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    // A busy X server can refuse a connection for a moment.
    poll(5, [&] { return (x = XOpenDisplay(nullptr)) != nullptr; });
    if (!x) throw std::runtime_error("no X display: run the tests under Xvfb (scripts/test)");
    int fds[2];
    if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
    pid = fork();
    if (pid == 0) {
        // In the sanitizer build, the program's leaks at exit are Mesa's context,
        // reported without names once Mesa has unloaded its driver; the OpenGL
        // tests check our code for leaks in-process instead.
        const char* asan = std::getenv("ASAN_OPTIONS");
        // A wrapper's preloaded library may come before the sanitizer runtime.
        setenv("ASAN_OPTIONS",
               (std::string(asan ? asan : "") + ":detect_leaks=0:verify_asan_link_order=0").c_str(),
               1);
        dup2(fds[1], STDERR_FILENO);
        ::close(fds[0]);
        ::close(fds[1]);
        // Not the test's own output: a program outliving a crashed test would
        // keep ctest waiting for the end of it.
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        std::vector<char*> argv;
        for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
        argv.push_back(nullptr);
        if (chdir(dir.c_str()) == 0) execvp(argv[0], argv.data());
        _exit(127);
    }
    ::close(fds[1]);
    errorPipe = fds[0];
    fcntl(errorPipe, F_SETFL, O_NONBLOCK);
}

Program::~Program() {
    if (running()) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    if (errorPipe >= 0) ::close(errorPipe);
    if (x) XCloseDisplay(x);
}

Window Program::window(double seconds, const std::string& caption) {
    poll(seconds, [&] {
        win = findWindow(x, DefaultRootWindow(x), caption);
        return win != 0 || !running();
    });
    return win;
}

void Program::waitForPicture(double seconds) {
    poll(seconds, [&] {
        const Picture picture = capture();
        return std::any_of(picture.pixels.begin(), picture.pixels.end(),
                           [](Pixel p) { return p.maxChannel() > 0; });
    });
}

void Program::settle() const {
    pause(0.5);
}

Picture Program::capture() {
    Picture picture;
    XWindowAttributes attributes{};
    if (!win || !XGetWindowAttributes(x, win, &attributes)) return picture;
    XImage* image =
        XGetImage(x, win, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (!image) return picture;
    picture.width = attributes.width;
    picture.height = attributes.height;
    for (int y = 0; y < picture.height; ++y)
        for (int i = 0; i < picture.width; ++i) {
            const unsigned long p = XGetPixel(image, i, y);
            picture.pixels.push_back({static_cast<int>((p >> 16) & 0xFF),
                                      static_cast<int>((p >> 8) & 0xFF),
                                      static_cast<int>(p & 0xFF)});
        }
    XDestroyImage(image);
    return picture;
}

void Program::key(const std::string& keys) {
    const std::string command =
        "xdotool windowfocus --sync " + std::to_string(win) + " key --delay 30 " + keys;
    if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
}

void Program::close() {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = win;
    event.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(x, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(x, win, False, NoEventMask, &event);
    XFlush(x);
}

int Program::wait(double seconds) {
    poll(seconds, [&] { return !running(); });
    return status;
}

bool Program::running() {
    if (status >= 0) return false;
    int raw = 0;
    if (waitpid(pid, &raw, WNOHANG) != pid) return true;
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    return false;
}

std::string Program::errors() {
    char buffer[4096];
    ssize_t n;
    while ((n = read(errorPipe, buffer, sizeof buffer)) > 0) errorText.append(buffer, n);
    return errorText;
}

std::vector<Pixel> steadySun(Program& program) {
    const auto square = [](const Picture& picture) {
        std::vector<Pixel> pixels;
        if (picture.width != 640 || picture.height != 480) return pixels;
        for (int y = 160; y < 320; ++y)
            for (int x = 240; x < 400; ++x) pixels.push_back(picture.at(x, y));
        return pixels;
    };
    program.key("F6");
    std::vector<Pixel> last, now;
    poll(20, [&] {
        last = std::move(now);
        now = square(program.capture());
        return !now.empty() && difference(last, now).first == 0;
    });
    return now;
}

std::vector<Pixel> thisBuildsSun() {
    Program program(VELMORATH_SOURCE_DIR);
    if (!program.window()) return {};
    program.waitForPicture();
    std::vector<Pixel> sun = steadySun(program);
    const auto lit =
        std::count_if(sun.begin(), sun.end(), [](Pixel p) { return p.maxChannel() > 20; });
    if (lit < 9000) sun.clear();  // about pi * 58 * 58: no Sun to compare with
    return sun;
}

std::pair<int, int> difference(const std::vector<Pixel>& a, const std::vector<Pixel>& b) {
    if (a.size() != b.size() || a.empty()) return {256, 0};
    int largest = 0, differing = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const int d = std::max(
            {std::abs(a[i].r - b[i].r), std::abs(a[i].g - b[i].g), std::abs(a[i].b - b[i].b)});
        largest = std::max(largest, d);
        differing += d > 0;
    }
    return {largest, differing};
}
