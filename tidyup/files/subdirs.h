// SPDX-License-Identifier: MIT
#pragma once

#include "tidyup/report/reason.h"

#include <QByteArray>
#include <QString>
#include <mutex>
#include <unordered_map>

// The per-energy and per-projection folders of the two link trees, opened relative to their
// tree without following a symbolic link, so that a folder replaced by a link to somewhere else
// receives nothing, and kept open for the links that follow. Thousands of projection folders
// would pass the usual limit of descriptors: only a bounded number stay open, the least recently
// used closed first. Several threads use it at once; a folder in use is never closed. Linux only.
class SubDirs
{
public:
    explicit SubDirs(const int (&treeFds)[2]);
    ~SubDirs();
    SubDirs(const SubDirs &) = delete;
    SubDirs &operator=(const SubDirs &) = delete;

private:
    struct Entry;

public:
    // A folder held open while it lives.
    class Folder
    {
    public:
        Folder(Folder &&other) noexcept;
        ~Folder();
        Folder(const Folder &) = delete;
        Folder &operator=(const Folder &) = delete;
        Folder &operator=(Folder &&) = delete;
        // -1 when it could not be opened; reason then says why.
        int fd() const { return descriptor; }
        Reason reason;
        // Whether opening it made it.
        bool made = false;

    private:
        friend class SubDirs;
        Folder() = default;
        SubDirs *owner = nullptr;
        Entry *entry = nullptr;
        int descriptor = -1;
    };

    // Opens tree/name; with create, makes it first where it is missing.
    Folder open(int tree, const QByteArray &name, bool create);

    // How many folders stay open at most.
    static size_t capacity();

private:
    struct KeyHash {
        size_t operator()(const QByteArray &key) const;
    };
    void release(Entry *entry);

    void unlinkIdle(Entry *entry);

    const int trees[2];
    std::mutex mutex;
    std::unordered_map<QByteArray, Entry *, KeyHash> entries[2];
    size_t openCount = 0;
    // Folders open but not in use, linked through their entries, the most recently used first.
    Entry *newestIdle = nullptr;
    Entry *oldestIdle = nullptr;
};
