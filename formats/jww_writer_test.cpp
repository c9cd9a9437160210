#include <gtest/gtest.h>

#include "formats/jww.h"
#include "testsupport/synthetic_jww.h"
#include "testsupport/test_files.h"

namespace tolvane {
namespace {

TEST(JwwWriter, Placeholder) { SUCCEED(); }

}  // namespace
}  // namespace tolvane
