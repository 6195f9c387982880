// Owning smart pointer for COM interfaces: releases exactly once, moves but never copies.
#pragma once

#include <windows.h>
#include <unknwn.h>
#include <utility>

template <typename T> class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : m_ptr(std::exchange(other.m_ptr, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            m_ptr = std::exchange(other.m_ptr, nullptr);
        }
        return *this;
    }
    ~ComPtr() { Reset(); }

    T* Get() const { return m_ptr; }
    T* operator->() const { return m_ptr; }
    explicit operator bool() const { return m_ptr != nullptr; }

    // For out-parameters: drops any current interface first.
    T** Put() {
        Reset();
        return &m_ptr;
    }

    void Reset() {
        if (m_ptr) {
            std::exchange(m_ptr, nullptr)->Release();
        }
    }

    template <typename U> ComPtr<U> As(const IID& iid) const {
        ComPtr<U> result;
        if (m_ptr) {
            m_ptr->QueryInterface(iid, reinterpret_cast<void**>(result.Put()));
        }
        return result;
    }

private:
    T* m_ptr = nullptr;
};
