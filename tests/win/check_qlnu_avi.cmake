# ffprobe's view of the AVI that win_avi_host wrote: a video stream tagged QLNU with the
# expected number of frames, each 2 x width x height + 20 bytes.
#   cmake -DAVI=file -DFRAMES=n -DFRAME_BYTES=n -P check_qlnu_avi.cmake
execute_process(
  COMMAND ffprobe -v error -select_streams v:0 -count_packets
          -show_entries stream=codec_tag_string,nb_read_packets -show_entries packet=size
          -of default=noprint_wrappers=1 ${AVI}
  OUTPUT_VARIABLE report RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "ffprobe could not read ${AVI}")
endif()
message(STATUS "ffprobe:\n${report}")
if(NOT report MATCHES "codec_tag_string=QLNU")
  message(FATAL_ERROR "the stream is not tagged QLNU")
endif()
if(NOT report MATCHES "nb_read_packets=${FRAMES}\n")
  message(FATAL_ERROR "the stream does not hold ${FRAMES} frames")
endif()
string(REGEX MATCHALL "size=[0-9]+" sizes "${report}")
list(REMOVE_ITEM sizes "size=${FRAME_BYTES}")
if(sizes)
  message(FATAL_ERROR "frames of other sizes than ${FRAME_BYTES} bytes: ${sizes}")
endif()
