global x
x:
global longname
longname:
    call b
global b
b:
    call longname
