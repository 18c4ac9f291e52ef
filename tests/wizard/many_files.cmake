# Makes `count` empty files file1.txt ... file<count>.txt in `folder`
# (cmake -D folder=... -D count=... -P many_files.cmake).
file(REMOVE_RECURSE "${folder}")
file(MAKE_DIRECTORY "${folder}")
set(names)
foreach(i RANGE 1 ${count})
  list(APPEND names "${folder}/file${i}.txt")
endforeach()
file(TOUCH ${names})
