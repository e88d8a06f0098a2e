// File: app/skin.cpp
// Installing, loading and calling the skin library.
#include "app/skin.h"

#include <dlfcn.h>

#include <cstring>
#include <memory>

#include "resources/embedded.h"
#include "text/files.h"

namespace {

constexpr std::string_view kLibraryName = "SkinH_EL.dll";
constexpr const char* kEntryPoint = "SkinH_AttachRes";

using AttachRes = int (*)(const unsigned char*, int, const char*, int, int, int);

AttachRes g_attach = nullptr;

Text library_path() {
    return text_concat(program_directory(), "/", kLibraryName);
}

AttachRes load_attach() {
    const Text beside = library_path();
    void* handle = dlopen(beside.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        // The system's ordinary search: LD_LIBRARY_PATH, the cache, the default directories.
        handle = dlopen(Text(kLibraryName).c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    if (handle == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<AttachRes>(dlsym(handle, kEntryPoint));
}

}  // namespace

void install_skin_library() {
    const Text path = library_path();
    if (file_exists(path)) {
        return;
    }
    const auto image = embedded_skin_library();
    (void)file_write_all(path, image);
    // The written rule sets "hidden" only; on this system that means nothing (see file_set_attributes).
    (void)file_set_attributes(path, 2);
}

bool apply_skin(int32_t n) {
    install_skin_library();
    const auto skin = embedded_skin(n);
    // A fresh copy, as the library must take what it needs during the call.
    std::unique_ptr<unsigned char[]> copy(new unsigned char[skin.size() + 1]);
    if (!skin.empty()) {
        std::memcpy(copy.get(), skin.data(), skin.size());
    }
    if (g_attach == nullptr) {
        g_attach = load_attach();
        if (g_attach == nullptr) {
            return false;
        }
    }
    (void)g_attach(copy.get(), static_cast<int>(skin.size()), "", 0, 0, 0);
    return true;
}

const char* skin_library_error_text() {
    return "无法加载皮肤库 SkinH_EL.dll，或其中没有入口 SkinH_AttachRes。程序无法启动。";
}

void forget_skin_library_for_test() {
    g_attach = nullptr;
}
