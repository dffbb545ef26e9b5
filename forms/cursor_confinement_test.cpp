#include "forms/cursor_confinement.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "tests/native/error_of.h"
#include "tests/native/fake_forms.h"

namespace tarn {
namespace {

using testing::ErrorOf;
using testing::FakeFormsObject;
using testing::FakeNode;

// One window at a known screen position; other handles name no window and
// leave the arguments as they were, as the real functions do.
class FakeWindowSystem final : public CursorWindowSystem {
 public:
  int32_t window = 0x1234;
  CursorRect client{0, 0, 300, 150};
  CursorPoint origin{100, 200};
  std::vector<std::optional<CursorRect>> clips;

  void GetClientRect(int32_t handle, CursorRect& rect) override {
    if (handle == window) rect = client;
  }
  void ClientToScreen(int32_t handle, CursorPoint& point) override {
    if (handle != window) return;
    point.x += origin.x;
    point.y += origin.y;
  }
  void OffsetRect(CursorRect& rect, int32_t dx, int32_t dy) override {
    rect.left += dx;
    rect.right += dx;
    rect.top += dy;
    rect.bottom += dy;
  }
  void ClipCursor(const CursorRect* rect) override {
    clips.push_back(rect ? std::optional<CursorRect>(*rect) : std::nullopt);
  }
};

FakeFormsObject WindowObject(FormValue handle) {
  auto node = std::make_shared<FakeNode>();
  node->Set(u"hWnd", std::move(handle));
  return FakeFormsObject(node);
}

void ExpectClip(const std::optional<CursorRect>& clip, CursorRect expected) {
  ASSERT_TRUE(clip.has_value());
  EXPECT_EQ(clip->left, expected.left);
  EXPECT_EQ(clip->top, expected.top);
  EXPECT_EQ(clip->right, expected.right);
  EXPECT_EQ(clip->bottom, expected.bottom);
}

TEST(LimitCursor, ClipsToTheClientAreaInScreenCoordinates) {
  FakeWindowSystem system;
  FakeFormsObject form = WindowObject(FormValue::Long(0x1234));
  LimitCursor(system, &form);
  ASSERT_EQ(system.clips.size(), 1u);
  ExpectClip(system.clips[0], {100, 200, 400, 350});
}

TEST(LimitCursor, AHandleOfNoWindowClipsToTheEmptyRectangle) {
  FakeWindowSystem system;
  FakeFormsObject stranger = WindowObject(FormValue::Integer(77));
  LimitCursor(system, &stranger);
  ASSERT_EQ(system.clips.size(), 1u);
  ExpectClip(system.clips[0], {0, 0, 0, 0});
}

TEST(LimitCursor, AFailingReadOfTheHandleLeavesTheCursorAlone) {
  FakeWindowSystem system;
  FakeFormsObject handleless(std::make_shared<FakeNode>());
  EXPECT_EQ(ErrorOf([&] { LimitCursor(system, &handleless); }), kErrNoSuchMember);
  EXPECT_EQ(ErrorOf([&] { LimitCursor(system, nullptr); }), kErrObjectNotSet);
  EXPECT_TRUE(system.clips.empty());
}

TEST(ReleaseCursor, LiftsAnyConfinement) {
  FakeWindowSystem system;
  ReleaseCursor(system);
  ASSERT_EQ(system.clips.size(), 1u);
  EXPECT_FALSE(system.clips[0].has_value());
}

}  // namespace
}  // namespace tarn
