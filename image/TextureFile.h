// Texture map files named by 3DS materials: BMP files become a single-level
// texture the GL must accept unchanged, TGA files a full GLU mipmap pyramid.
// Both need a current GL context, leave the texture bound to GL_TEXTURE_2D on
// success, set GL_MODULATE, repeat wrapping, nearest filtering and the unpack
// state, and report failures through the notifier (caption: application title).
// The GL-free readers they use are declared in BmpFile.h and TgaFile.h.
#pragma once

#include "BmpFile.h"
#include "TgaFile.h"
#include "platform/UserNotifier.h"

#include <string>

namespace orbit {

// True when texture now holds the BMP file's picture.
bool loadBmpTexture(const std::string& path, unsigned texture, UserNotifier& notifier);
// True when texture now holds the TGA file's picture with all mipmap levels.
bool loadTgaTexture(const std::string& path, unsigned texture, UserNotifier& notifier);

} // namespace orbit
