// The real program with a strange file in place of one of its images: it runs
// and quits on Escape, or exits 255 at once with its one line; and whatever
// loads draws the same picture as the image converted to a plain RGB PNG.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "bad_inputs.h"
#include "program.h"

namespace {

TEST(BadInput, EachCaseRunsOrExits255NamingTheFile) {
    for (const BadInput& input : badInputs()) {
        SCOPED_TRACE(input.name);
        fixtures::TempDir dir;
        installBadInput(input, dir.path);
        Program program(dir.path);
        if (input.loads) {
            ASSERT_NE(program.window(), 0u) << program.errors();
            program.key("Escape");
            EXPECT_EQ(program.wait(5), 0);
            EXPECT_EQ(program.errors(), "");
        } else {
            EXPECT_EQ(program.wait(5), 255);
            const std::string errors = program.errors();
            EXPECT_EQ(
                errors.rfind("velmorath: cannot load texture img/" + input.replaces + ": ", 0), 0u)
                << errors;
            EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
        }
    }
}

}  // namespace
