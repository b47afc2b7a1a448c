// Standard output and error as bytes: each write goes to Module.azuvelWrite(fd, bytes) at once.
// Both streams stay terminals, so the interpreter flushes after each print statement and a long
// run shows its output as it goes.
Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function () {
  TTY.stream_ops.write = function (stream, buffer, offset, length) {
    var fd = stream.tty.ops === TTY.default_tty1_ops ? 2 : 1;
    var bytes = new Uint8Array(buffer.buffer, buffer.byteOffset + offset, length);
    Module['azuvelWrite'](fd, bytes.slice());
    return length;
  };
});
