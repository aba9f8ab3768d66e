// Soak run: draws frames back to back through the program's own display
// callback, then checks that resident memory stayed flat after warm-up and
// that the animation state is exactly what the float arithmetic predicts.
//
// Run from the repository root (the scene reads img/), on any X display:
//   build/bench/soak [frames]
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "app/shell.h"

namespace {

long residentKiB() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * 4;
}

}  // namespace

int main(int argc, char** argv) {
    const long frames = argc > 1 ? std::atol(argv[1]) : 100000;
    const long warmUp = 2000;
    openWindow(&argc, argv);
    if (!init()) return 1;
    reshape(640, 480);

    // The state every frame should leave: angles wrap to 0 just past 360,
    // the spin grows by 1 in double and is stored as a float.
    float earth = 0, moon = 0, spin = 0;
    long before = 0;
    for (long i = 0; i < frames; ++i) {
        if (i == warmUp) before = residentKiB();
        display();
        moon = moon + 0.15f > 360 ? 0 : moon + 0.15f;
        earth = earth + 0.05f > 360 ? 0 : earth + 0.05f;
        spin = static_cast<float>(spin + 1.0);
    }
    const long after = residentKiB();

    const bool exact = gScene.getEarthAngle() == earth && gScene.getMoonAngle() == moon &&
                       gScene.getEarthSpin() == spin;
    std::printf("frames:          %ld (warm-up %ld)\n", frames, warmUp);
    std::printf("resident memory: %ld KiB after warm-up, %ld KiB at the end\n", before, after);
    std::printf("earth angle %.6f (predicted %.6f), moon angle %.6f (%.6f), spin %.1f (%.1f)\n",
                gScene.getEarthAngle(), earth, gScene.getMoonAngle(), moon, gScene.getEarthSpin(),
                spin);
    const bool flat = after - before <= 1024;
    std::printf("%s\n", exact && flat ? "soak passed" : "SOAK FAILED");
    return exact && flat ? 0 : 1;
}
