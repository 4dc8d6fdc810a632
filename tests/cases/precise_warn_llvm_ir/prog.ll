; ModuleID = 'prog.c'
source_filename = "prog.c"
target triple = "x86_64-pc-linux-gnu"

define dso_local i32 @main() {
  %1 = call i32 @helper()
  ret i32 %1
}
