# Sourced, never run: decides once per run whether this host runs the 32-bit Windows build.
# Some x86-64 hosts have the kernel's IA-32 emulation switched off; there Debian's `wine`
# picks the 32-bit loader and fails for every program. VELLORY_IA32=1 or 0 forces the answer,
# and the answer is exported, so everything a run starts asks nothing again.

# Does the kernel execute i386 code at all? A static program of 93 bytes that only exits,
# so the answer needs no i386 package (setup asks before it has installed any).
vellory_kernel_runs_ia32() {
  local probe
  probe=$(mktemp) || return 1
  printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000T\200\004\0104\000\000\000\000\000\000\000\000\000\000\0004\000 \000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010]\000\000\000]\000\000\000\005\000\000\000\000\020\000\000\270\001\000\000\0001\333\315\200' >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null
  local rc=$?
  rm -f "$probe"
  return $rc
}

# The 32-bit way needs both the kernel's support and wine32's loader.
if [ -z "${VELLORY_IA32:-}" ]; then
  if [ -x /usr/lib/wine/wine ] && vellory_kernel_runs_ia32; then VELLORY_IA32=1; else VELLORY_IA32=0; fi
fi
export VELLORY_IA32
