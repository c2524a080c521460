#pragma once

// Looks at every freed block still held back from reuse, at once rather than when it leaves the
// quarantine: a block written after its delete is reported and ends the program.
void CheckFreedBlocksUntouched();
