// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <gumbo.h>

#include <cstddef>
#include <cstdlib>

// Gumbo frees its tree by recursion, one call per level, which a deeply nested page overflows.
// Its memory comes from here instead and goes back all at once.
class ParseArena {
  public:
    ParseArena() = default;
    ParseArena(const ParseArena&) = delete;
    ParseArena& operator=(const ParseArena&) = delete;
    ~ParseArena() {
        while (m_head != nullptr) {
            Block* next = m_head->next;
            std::free(m_head);
            m_head = next;
        }
    }

    GumboOptions options() {
        GumboOptions options = kGumboDefaultOptions;
        options.allocator = &ParseArena::allocate;
        options.deallocator = &ParseArena::deallocate;
        options.userdata = this;
        // The error list keeps a copy of the open elements for every parse error: on a deeply
        // nested page that took seconds and gigabytes, and nothing here reads it.
        options.max_errors = 0;
        return options;
    }

  private:
    struct alignas(std::max_align_t) Block {
        Block* previous;
        Block* next;
    };

    static void* allocate(void* userdata, size_t size) {
        auto* arena = static_cast<ParseArena*>(userdata);
        auto* block = static_cast<Block*>(std::malloc(sizeof(Block) + size));
        if (block == nullptr) {
            return nullptr;  // as malloc, Gumbo's own allocator, would
        }
        block->previous = nullptr;
        block->next = arena->m_head;
        if (arena->m_head != nullptr) {
            arena->m_head->previous = block;
        }
        arena->m_head = block;
        return block + 1;
    }

    static void deallocate(void* userdata, void* pointer) {
        if (pointer == nullptr) {
            return;
        }
        auto* arena = static_cast<ParseArena*>(userdata);
        Block* block = static_cast<Block*>(pointer) - 1;
        if (block->previous != nullptr) {
            block->previous->next = block->next;
        } else {
            arena->m_head = block->next;
        }
        if (block->next != nullptr) {
            block->next->previous = block->previous;
        }
        std::free(block);
    }

    Block* m_head = nullptr;
};
