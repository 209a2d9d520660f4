#pragma once

#include <string>

// A fresh private directory under $TMPDIR (or /tmp), removed with its
// contents when the object goes away.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Whole-file helpers for fixtures; empty text when the file cannot be read.
std::string ReadText(const std::string& path);
void WriteText(const std::string& path, const std::string& text);
