#pragma once
#include <cstdint>

namespace orvel {

// Counts of link events since the last job start; shown when an upload is given up.
struct ErrorCounters {
    int32_t Nacks = 0;   // negative acknowledgements
    int32_t Code10 = 0;  // receive events of fewer than 8 bytes
    int32_t Code15 = 0;  // receive events not starting with 0xBC
    int32_t Code20 = 0;  // good frames followed by more bytes in the same event
};

// State shared by the block upload engine and the block read engine (one runs at a time).
struct TransferJob {
    uint8_t JobCode = 0;            // 1 firmware, 6 configuration
    const uint8_t* Data = nullptr;  // not owned; valid for the whole job
    uint32_t DataLength = 0;
    uint8_t XOR8 = 0;
    uint32_t SUM32 = 0;
    uint32_t BlockCount = 0;    // final block included
    uint32_t CurrentBlock = 0;  // block last sent, from 1; 0 before the first
    uint16_t TransferId = 0;
    int32_t RetryTicks = 0;     // ticks since the last progress
    uint32_t AckedBlock = 0;    // 0xFFFFFF right after a job start
    bool AckPending = false;
    uint32_t ReadBlockSize = 0;
    uint32_t ReadLastSize = 0;
};

}  // namespace orvel
