#include <thread>

#include "GlTestSupport.h"
#include "platform/GlContext.h"
#include "render/GlName.h"

using namespace gl33core;

namespace Orvane::Mosaira {
namespace {

class GlNames : public Testing::RenderSession {
 protected:
  // A texture object (a generated name becomes one when first bound).
  static GlTexture Texture() {
    GlTexture texture = GlTexture::Generate();
    glBindTexture(GL_TEXTURE_2D, texture.Get());
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
  }
  static bool Alive(GLuint name) { return glIsTexture(name) == GL_TRUE; }
};

// One owner at a time: a move hands the name on, an owner that takes another deletes its own,
// and a released name outlives its owner.
TEST_F(GlNames, EachNameHasOneOwnerThatDeletesItOnce) {
  GlTexture first = Texture();
  const GLuint name = first.Get();
  GlTexture moved = std::move(first);
  EXPECT_FALSE(first);
  EXPECT_EQ(moved.Get(), name);

  GlTexture other = Texture();
  const GLuint otherName = other.Get();
  moved = std::move(other);
  EXPECT_FALSE(Alive(name));
  EXPECT_TRUE(Alive(otherName));

  const GLuint released = moved.Release();
  moved.Reset();
  EXPECT_TRUE(Alive(released));
  {
    GlTexture adopted(released);
  }
  EXPECT_FALSE(Alive(released));
}

// An owner that goes on a thread with no current context makes no GL call: the object stays.
TEST_F(GlNames, OwnerWithoutCurrentContextDeletesNothing) {
  GlTexture texture = Texture();
  const GLuint name = texture.Get();
  std::thread([owner = std::move(texture)]() mutable {
    EXPECT_EQ(Platform::CurrentBindingHandle(), 0u);
    owner.Reset();
  }).join();
  EXPECT_TRUE(Alive(name));
  GlTexture(name).Reset();
  EXPECT_FALSE(Alive(name));
}

}  // namespace
}  // namespace Orvane::Mosaira
