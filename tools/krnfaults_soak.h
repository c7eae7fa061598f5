#pragma once
// The soak of krnfaults: `exchanges` reads in process on a virtual clock with mixed faults.
// onlyFault >= 0 aims only that fault (0 bit flip, 1 wrong echo, 2 dropped byte, 3 delayed
// byte, 4 late answer, 5 noise, 6 no answer, 7 wrong checksum, 8 stall); -1 mixes them all.
// 0 when every value was right and the memory did not grow.
// verify: the reads go through the instrument control's verification (krnctl --verify).
int runSoak(long exchanges, unsigned seed, int onlyFault, bool verify = false);
