# Sourced first by each script that starts Wine: runs the script again with the kernel's address
# randomisation off (setarch -R), for it and every process it starts. Debian's Wine has no
# preloader, and its 64-bit loader sits at 0x7d000000, where the kernel may start the heap
# anywhere in the next 1 GiB; about once in 5000 starts the heap covers 0x7ffe0000, the
# shared user data, and the process dies ("failed to map the shared user data"). Unrandomised,
# the heap starts just after the loader, 48 MiB below that page.
if setup_personality=$(cat /proc/self/personality 2>/dev/null) &&
  ((!(0x$setup_personality & 0x0040000))); then
  exec setarch "$(uname -m)" -R "$BASH" "$0" "$@"
fi
unset setup_personality
