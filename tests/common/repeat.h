/* How often a test repeats a scenario that catches rare faults. */
#ifndef KP7_TESTS_COMMON_REPEAT_H
#define KP7_TESTS_COMMON_REPEAT_H

/* `full` natively; KP7_REPEAT per cent of it, at least `min`, where
 * tools/test.sh reduces repetitions (under the sanitizers and emulation,
 * where every program start costs many times as much). */
int kp7_repeat(int full, int min = 1);

#endif
