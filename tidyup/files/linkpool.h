// SPDX-License-Identifier: MIT
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// A few threads that make the links of moved files, fed through a bounded queue. On a file
// server every call waits for a round trip, and calls into different folders overlap; the
// thread that feeds the queue waits while it is full, so that an interruption leaves few moved
// files without their links. Tasks are handed over a few at a time: on a local disk a link
// costs less than waking a thread for it.
class LinkPool
{
public:
    using Task = std::function<void()>;

    // capacity: tasks waiting, at most.
    LinkPool(int threads, int capacity);
    // Runs what is queued, then ends the threads.
    ~LinkPool();
    LinkPool(const LinkPool &) = delete;
    LinkPool &operator=(const LinkPool &) = delete;

    // Waits while the queue is full. Only ever called from one thread.
    void push(Task task);
    // Hands over the tasks held back for a fuller batch and waits until every task is done: a run
    // that waits for more files must not keep the links of those it moved, and counts them first.
    void flush();

private:
    using Batch = std::vector<Task>;
    void hand(Batch &&batch);
    void work();

    const size_t batchSize;
    const size_t batches;
    Batch pending;
    std::mutex mutex;
    std::condition_variable queued;
    std::condition_variable taken;
    std::deque<Batch> queue;
    // Batches taken from the queue and not yet done.
    int working = 0;
    bool closing = false;
    std::vector<std::thread> threads;
};
