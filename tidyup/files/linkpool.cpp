// SPDX-License-Identifier: MIT
#include "tidyup/files/linkpool.h"

#include <algorithm>
#include <utility>

LinkPool::LinkPool(int threads, int capacity)
    : batchSize(size_t(std::clamp(capacity / 8, 1, 8)))
    , batches(std::max<size_t>(1, size_t(capacity) / batchSize))
{
    for (int i = 0; i < std::max(1, threads); ++i)
        this->threads.emplace_back([this] { work(); });
}

LinkPool::~LinkPool()
{
    flush();
    {
        const std::lock_guard<std::mutex> lock(mutex);
        closing = true;
    }
    queued.notify_all();
    for (std::thread &thread : threads)
        thread.join();
}

void LinkPool::push(Task task)
{
    pending.push_back(std::move(task));
    if (pending.size() == batchSize)
        hand(std::exchange(pending, Batch()));
}

void LinkPool::flush()
{
    if (!pending.empty())
        hand(std::exchange(pending, Batch()));
    std::unique_lock<std::mutex> lock(mutex);
    taken.wait(lock, [this] { return queue.empty() && working == 0; });
}

void LinkPool::hand(Batch &&batch)
{
    {
        std::unique_lock<std::mutex> lock(mutex);
        taken.wait(lock, [this] { return queue.size() < batches; });
        queue.push_back(std::move(batch));
    }
    queued.notify_one();
}

void LinkPool::work()
{
    for (;;) {
        Batch batch;
        {
            std::unique_lock<std::mutex> lock(mutex);
            queued.wait(lock, [this] { return closing || !queue.empty(); });
            if (queue.empty())
                return;
            batch = std::move(queue.front());
            queue.pop_front();
            ++working;
        }
        // The feeding thread waits for room in the queue, or for the last task to end.
        taken.notify_all();
        for (Task &task : batch)
            task();
        {
            const std::lock_guard<std::mutex> lock(mutex);
            --working;
        }
        taken.notify_all();
    }
}
