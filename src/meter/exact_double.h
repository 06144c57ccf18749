// Arithmetic rounded once to double precision on every target.
// The x87 unit of 32-bit x86 keeps intermediates in 80-bit registers and
// rounds them when (and if) the compiler spills them, so one expression can
// truncate to different pixels in different places: 210 / 204 * 204 comes
// out as 210 instead of 209. These run each operation with the unit set to
// double precision, which rounds as SSE2 and every 64-bit target do, on any
// x87 processor.
#pragma once

#if defined(__i386__) && !defined(__SSE2_MATH__)

namespace exact_double_detail {
inline unsigned short DoubleControlWord(unsigned short* saved) {
  __asm__ volatile("fnstcw %0" : "=m"(*saved));
  return static_cast<unsigned short>((*saved & ~0x300) | 0x200);  // precision: 53 bits
}
}  // namespace exact_double_detail

#define ZOR_X87_OP(name, op)                                             \
  inline double name(double a, double b) {                               \
    unsigned short saved;                                                \
    unsigned short dbl = exact_double_detail::DoubleControlWord(&saved); \
    double r;                                                            \
    __asm__ volatile(                                                    \
        "fldcw %[dbl]\n\t"                                               \
        "fldl %[a]\n\t" op                                               \
        " %[b]\n\t"                                                      \
        "fstpl %[r]\n\t"                                                 \
        "fldcw %[saved]"                                                 \
        : [r] "=m"(r)                                                    \
        : [a] "m"(a), [b] "m"(b), [dbl] "m"(dbl), [saved] "m"(saved)     \
        : "st");                                                         \
    return r;                                                            \
  }
ZOR_X87_OP(ExactSub, "fsubl")
ZOR_X87_OP(ExactMul, "fmull")
ZOR_X87_OP(ExactDiv, "fdivl")
#undef ZOR_X87_OP

#else

inline double ExactSub(double a, double b) { return a - b; }
inline double ExactMul(double a, double b) { return a * b; }
inline double ExactDiv(double a, double b) { return a / b; }

#endif
