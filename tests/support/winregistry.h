// Windows tests: a per-user registry value set for one test and put back after it.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace lumivox::testing {

class ScopedRegValue {
public:
    ScopedRegValue(HKEY root, std::wstring key, std::wstring name, DWORD type, const void* data,
                   DWORD size)
        : root_(root), key_(std::move(key)), name_(std::move(name)) {
        HKEY handle = nullptr;
        RegCreateKeyExW(root_, key_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle,
                        nullptr);
        DWORD oldType = 0, oldSize = 0;
        if (RegQueryValueExW(handle, name_.c_str(), nullptr, &oldType, nullptr, &oldSize) ==
            ERROR_SUCCESS) {
            old_.emplace(oldSize);
            oldType_ = oldType;
            RegQueryValueExW(handle, name_.c_str(), nullptr, nullptr, old_->data(), &oldSize);
        }
        RegSetValueExW(handle, name_.c_str(), 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(handle);
    }
    static ScopedRegValue Text(std::wstring key, std::wstring name, const std::wstring& text,
                               HKEY root = HKEY_CURRENT_USER) {
        return ScopedRegValue(root, std::move(key), std::move(name), REG_SZ, text.c_str(),
                              DWORD((text.size() + 1) * sizeof(wchar_t)));
    }
    static ScopedRegValue Number(std::wstring key, std::wstring name, DWORD value) {
        return ScopedRegValue(HKEY_CURRENT_USER, std::move(key), std::move(name), REG_DWORD, &value,
                              sizeof value);
    }
    ScopedRegValue(ScopedRegValue&& other) noexcept
        : root_(other.root_), key_(std::move(other.key_)), name_(std::move(other.name_)),
          old_(std::move(other.old_)), oldType_(other.oldType_) {
        other.key_.clear();
    }
    ~ScopedRegValue() {
        if (key_.empty())
            return;
        HKEY handle = nullptr;
        if (RegOpenKeyExW(root_, key_.c_str(), 0, KEY_ALL_ACCESS, &handle) != 0)
            return;
        if (old_)
            RegSetValueExW(handle, name_.c_str(), 0, oldType_, old_->data(), DWORD(old_->size()));
        else
            RegDeleteValueW(handle, name_.c_str());
        RegCloseKey(handle);
    }

private:
    HKEY root_;
    std::wstring key_;
    std::wstring name_;
    std::optional<std::vector<BYTE>> old_;
    DWORD oldType_ = 0;
};

} // namespace lumivox::testing
