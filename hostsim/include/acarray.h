// The host's growable array, on top of std::vector.
#pragma once
#include <algorithm>
#include <vector>

template <class T>
class AcArray {
public:
    explicit AcArray(int initPhysicalLength = 0, int initGrowLength = 8) : m_grow(initGrowLength) {
        m_v.reserve(static_cast<size_t>(initPhysicalLength > 0 ? initPhysicalLength : 0));
    }
    int length() const { return static_cast<int>(m_v.size()); }
    int logicalLength() const { return length(); }
    int physicalLength() const { return static_cast<int>(m_v.capacity()); }
    int growLength() const { return m_grow; }
    bool isEmpty() const { return m_v.empty(); }
    int append(const T& value) {
        m_v.push_back(value);
        return length() - 1;
    }
    AcArray& removeAll() {
        m_v.clear();
        return *this;
    }
    AcArray& removeAt(int i) {
        m_v.erase(m_v.begin() + i);
        return *this;
    }
    AcArray& setLogicalLength(int n) {
        m_v.resize(static_cast<size_t>(n));
        return *this;
    }
    bool contains(const T& value, int start = 0) const {
        return std::find(m_v.begin() + start, m_v.end(), value) != m_v.end();
    }
    bool find(const T& value, int& foundAt, int start = 0) const {
        auto it = std::find(m_v.begin() + start, m_v.end(), value);
        if (it == m_v.end())
            return false;
        foundAt = static_cast<int>(it - m_v.begin());
        return true;
    }
    T& at(int i) { return m_v.at(static_cast<size_t>(i)); }
    const T& at(int i) const { return m_v.at(static_cast<size_t>(i)); }
    T& operator[](int i) { return m_v[static_cast<size_t>(i)]; }
    const T& operator[](int i) const { return m_v[static_cast<size_t>(i)]; }
    T* asArrayPtr() { return m_v.data(); }
    const T* asArrayPtr() const { return m_v.data(); }

private:
    std::vector<T> m_v;
    int m_grow;
};

typedef AcArray<int> AcDbIntArray;
typedef AcArray<void*> AcDbVoidPtrArray;
