/* Preloaded into Wine's 32-bit processes under qemu (tests/wine/i686.sh), to put back three
 * things a kernel with 32-bit support gives and qemu's i386 user emulator does not.
 *
 * 1. A thread's segment registers. qemu keeps one GDT for all threads of a process, so the
 *    thread-area entry behind %fs (Wine's TEB) and %gs (glibc's thread pointer) holds the base of
 *    the thread that set it last, and qemu reloads both from it on every return from a signal
 *    handler. A thread that took a signal then ran as another: in the save dialog two threads
 *    ended up reading one wineserver reply pipe and the program hung. Here Wine is refused a
 *    thread-area entry, so it gives each thread's %fs an LDT entry of its own (its path for
 *    kernels without thread areas), and each thread's %gs moves to an LDT entry of its own
 *    before any of its code runs. The LDT is process-wide on every kernel, so distinct entries
 *    are right under qemu too.
 * 2. The trap number of a SIGSEGV, which qemu leaves at -1 where the kernel gives 14 (page
 *    fault) or 13 (protection fault). Wine tells an access violation by it; with -1 it reported
 *    "Got unexpected trap -1" and raised an illegal instruction, so every access violation that
 *    Wine or a program handles (a guard page, IsBadReadPtr) killed the thread.
 *
 * Built freestanding for i386: what runs in a signal handler touches no TLS and no libc state,
 * since it runs before Wine has restored the thread's segment registers. The x86-64 build is
 * empty, so one LD_PRELOAD with $LIB serves both kinds of process. */
#if defined(__i386__)

#include <stdarg.h>

#define SIGSEGV 11
#define SA_SIGINFO 4
#define SEGV_MAPERR 1
#define SEGV_ACCERR 2
#define SI_KERNEL 0x80
#define TRAP_PROTECTION 13
#define TRAP_PAGE_FAULT 14
#define SYS_MODIFY_LDT 123
#define SYS_SET_THREAD_AREA 243
#define RTLD_NEXT ((void*)-1l)

extern void* dlsym(void*, const char*);
extern void* malloc(unsigned long);
extern void free(void*);

static void* next(const char* name) {
  return dlsym(RTLD_NEXT, name);
}

/* ---- 1. segment registers ---- */

struct user_desc {
  unsigned entry_number;
  unsigned base_addr;
  unsigned limit;
  unsigned flags; /* seg_32bit:1 contents:2 read_exec_only:1 limit_in_pages:1 ... useable:1 */
};
enum { SEG_32BIT = 1, LIMIT_IN_PAGES = 16, USEABLE = 64 };

/* Wine leaves LDT entries below 512 to libc when %gs is an LDT selector at its start. */
enum { FIRST_GS_ENTRY = 16, END_GS_ENTRY = 512 };
static int next_gs_entry = FIRST_GS_ENTRY;
static unsigned short gdt_gs; /* glibc's thread-area selector */

static int raw_syscall(int number, unsigned b, unsigned c, unsigned d, unsigned s) {
  int result;
  __asm__ volatile("int $0x80"
                   : "=a"(result)
                   : "0"(number), "b"(b), "c"(c), "d"(d), "S"(s)
                   : "memory");
  return result;
}
enum { SYS_WRITE = 4, SYS_SCHED_YIELD = 158, SYS_RT_SIGPROCMASK = 175, SIG_SETMASK = 2 };

static void write_stderr(const char* text) {
  unsigned long length = 0;
  while (text[length]) ++length;
  raw_syscall(SYS_WRITE, 2, (unsigned)text, length, 0);
}

static unsigned thread_pointer(void) {
  unsigned pointer;
  __asm__ volatile("movl %%gs:0, %0" : "=r"(pointer));
  return pointer;
}
static unsigned short get_gs(void) {
  unsigned short selector;
  __asm__ volatile("movw %%gs, %0" : "=r"(selector));
  return selector;
}
static void set_gs(unsigned short selector) {
  __asm__ volatile("movw %0, %%gs" : : "r"(selector));
}

/* Gives the calling thread's %gs an LDT entry with the base it has now. */
static void own_gs(void) {
  int entry = __atomic_fetch_add(&next_gs_entry, 1, __ATOMIC_RELAXED);
  if (entry >= END_GS_ENTRY) {
    write_stderr("i686-shim: no LDT entry left for a thread's %gs\n");
    return;
  }
  struct user_desc desc = {(unsigned)entry, thread_pointer(), 0xfffff,
                           SEG_32BIT | LIMIT_IN_PAGES | USEABLE};
  if (raw_syscall(SYS_MODIFY_LDT, 1, (unsigned)&desc, sizeof desc, 0) != 0) {
    write_stderr("i686-shim: modify_ldt refused a thread's %gs\n");
    return;
  }
  set_gs((unsigned short)(entry << 3 | 7));
}

/* The first thread, before Wine looks at %gs. */
__attribute__((constructor)) static void own_first_gs(void) {
  gdt_gs = get_gs();
  own_gs();
}

struct start {
  void* (*routine)(void*);
  void* arg;
  int moved;
};

static void* start_thread(void* data) {
  struct start* start = data;
  void* (*routine)(void*) = start->routine;
  void* arg = start->arg;
  own_gs();
  __atomic_store_n(&start->moved, 1, __ATOMIC_RELEASE);
  return routine(arg);
}

typedef int (*pthread_create_fn)(void*, const void*, void* (*)(void*), void*);
static int creating; /* a spin lock: one thread is being created at a time */

/* glibc makes the new thread's thread-area entry out of the creator's %gs, and qemu writes it
 * into the GDT all threads share. So the creator lends itself that entry, with its own base, and
 * holds it, signals blocked, until the new thread has moved to an LDT entry of its own. */
int pthread_create(void* thread, const void* attr, void* (*routine)(void*), void* arg) {
  static pthread_create_fn real;
  if (!real) real = (pthread_create_fn)next("pthread_create");
  struct start* start = malloc(sizeof *start);
  if (!start) return 11; /* EAGAIN */
  start->routine = routine;
  start->arg = arg;
  start->moved = 0;
  unsigned long all[2] = {~0ul, ~0ul}, old[2];
  raw_syscall(SYS_RT_SIGPROCMASK, SIG_SETMASK, (unsigned)all, (unsigned)old, sizeof all);
  while (__atomic_exchange_n(&creating, 1, __ATOMIC_ACQUIRE))
    raw_syscall(SYS_SCHED_YIELD, 0, 0, 0, 0);
  unsigned short own = get_gs();
  struct user_desc desc = {(unsigned)(gdt_gs >> 3), thread_pointer(), 0xfffff,
                           SEG_32BIT | LIMIT_IN_PAGES | USEABLE};
  raw_syscall(SYS_SET_THREAD_AREA, (unsigned)&desc, 0, 0, 0);
  set_gs(gdt_gs);
  int result = real(thread, attr, start_thread, start);
  if (result == 0)
    while (!__atomic_load_n(&start->moved, __ATOMIC_ACQUIRE))
      raw_syscall(SYS_SCHED_YIELD, 0, 0, 0, 0);
  set_gs(own);
  __atomic_store_n(&creating, 0, __ATOMIC_RELEASE);
  raw_syscall(SYS_RT_SIGPROCMASK, SIG_SETMASK, (unsigned)old, 0, sizeof old);
  free(start);
  return result;
}

typedef long (*syscall_fn)(long, long, long, long, long, long, long);

long syscall(long number, ...) {
  static syscall_fn real;
  /* Refused as a kernel without thread areas would: Wine then takes the LDT for %fs. */
  if (number == SYS_SET_THREAD_AREA) return -1;
  if (!real) real = (syscall_fn)next("syscall");
  va_list args;
  va_start(args, number);
  long a = va_arg(args, long), b = va_arg(args, long), c = va_arg(args, long);
  long d = va_arg(args, long), e = va_arg(args, long), f = va_arg(args, long);
  va_end(args);
  return real(number, a, b, c, d, e, f);
}

/* ---- 2. trap numbers ---- */

/* glibc's i386 layouts. */
struct sigaction_i386 {
  void (*handler)(int, void*, void*);
  unsigned long mask[32];
  int flags;
  void (*restorer)(void);
};
enum { SIGINFO_CODE = 2, UCONTEXT_GREGS = 5, REG_TRAPNO = 12 };

typedef int (*sigaction_fn)(int, const struct sigaction_i386*, struct sigaction_i386*);

static void (*wine_segv)(int, void*, void*);

__attribute__((force_align_arg_pointer)) static void fix_trapno(int sig, void* info, void* uc) {
  int* gregs = (int*)uc + UCONTEXT_GREGS;
  if (gregs[REG_TRAPNO] == -1) {
    int code = ((int*)info)[SIGINFO_CODE];
    if (code == SEGV_MAPERR || code == SEGV_ACCERR)
      gregs[REG_TRAPNO] = TRAP_PAGE_FAULT;
    else if (code == SI_KERNEL)
      gregs[REG_TRAPNO] = TRAP_PROTECTION;
  }
  wine_segv(sig, info, uc);
}

int sigaction(int sig, const struct sigaction_i386* act, struct sigaction_i386* old) {
  static sigaction_fn real;
  if (!real) real = (sigaction_fn)next("sigaction");
  if (sig != SIGSEGV || !act || !(act->flags & SA_SIGINFO)) return real(sig, act, old);
  struct sigaction_i386 wrapped = *act;
  void (*previous)(int, void*, void*) = wine_segv;
  wine_segv = act->handler;
  wrapped.handler = fix_trapno;
  int result = real(sig, &wrapped, old);
  if (old && old->handler == fix_trapno) old->handler = previous;
  return result;
}

#endif
