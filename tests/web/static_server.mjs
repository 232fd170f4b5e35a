// A static web host for the page's tests and benchmark: serves one folder on
// 127.0.0.1 at a free port, as a plain host would (file types, validators and
// "not modified", gzip for the compressible files when asked), counts the
// bodies it sends per path and their bytes, and lists every request. For the tests
// it can also misbehave as real hosts do: a file missing, sent with another type,
// its connection cut, or held back until released, or the whole host out of reach;
// and send a host's own headers. Every answer closes its connection, so that no
// connection is ever reused: a cut one is always the request's own, fresh one (WebKitGTK
// 2.54's network process, handed a reused connection closed without an answer, now
// and then failed every later request to the host).
import { createHash } from 'node:crypto';
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { extname, join, normalize } from 'node:path';
import { gzipSync } from 'node:zlib';

const TYPES = {
  '.html': 'text/html; charset=utf-8', '.css': 'text/css; charset=utf-8', '.mjs': 'text/javascript; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8', '.wasm': 'application/wasm', '.jpg': 'image/jpeg', '.png': 'image/png',
  '.webmanifest': 'application/manifest+json; charset=utf-8', '.woff2': 'font/woff2', '.txt': 'text/plain; charset=utf-8',
};
// What hosts compress: text and the WebAssembly module; images and WOFF2 are compressed already.
const COMPRESSED = new Set(['.html', '.css', '.mjs', '.js', '.wasm', '.webmanifest', '.txt']);

// options.missing: paths answered 404; options.types: { path: Content-Type }; options.cut: paths
// whose connection is closed without an answer; options.held: paths answered only after hold's release;
// options.headers: { path: { header: value } }; options.down: no answer at all. The test may change
// the options while the host runs.
export async function serve(root, options = {}) {
  const sent = new Map(); // path -> bytes on the wire
  const checked = new Map(); // path -> bytes of those sent to requests that asked to check with the host
  const bodies = new Map(); // path -> number of full answers (not "not modified")
  const requests = []; // every request's path, in order
  const zipped = new Map(); // compressed once, as a host that keeps .gz files beside the originals
  let release;
  const hold = new Promise((resolve) => { release = resolve; });
  const server = createServer(async (request, response) => {
    const { gzip = false, missing = [], types = {}, cut = [], held = [], headers: own = {}, down = false } = options;
    const path = decodeURIComponent(new URL(request.url, 'http://host').pathname);
    requests.push(path);
    response.setHeader('Connection', 'close');
    if (down || cut.includes(path)) {
      request.socket.destroy();
      return;
    }
    if (held.includes(path)) await hold;
    const file = normalize(join(root, path.endsWith('/') ? `${path}index.html` : path));
    let body;
    try {
      if (!file.startsWith(normalize(root)) || missing.includes(path)) throw new Error('not here');
      body = await readFile(file);
    } catch {
      // A host's error page, labelled as the file asked for where the test says so.
      response.writeHead(404, { 'Content-Type': types[path] ?? TYPES['.html'] }).end('<!doctype html><title>Not found</title>');
      return;
    }
    const etag = `"${createHash('sha256').update(body).digest('hex').slice(0, 20)}"`;
    const type = types[path] ?? TYPES[extname(file)] ?? 'application/octet-stream';
    const headers = { 'Content-Type': type, 'Cache-Control': 'no-cache', ETag: etag, ...own[path] };
    if (request.headers['if-none-match'] === etag) {
      response.writeHead(304, headers).end();
      return;
    }
    if (gzip && COMPRESSED.has(extname(file)) && /\bgzip\b/.test(request.headers['accept-encoding'] ?? '')) {
      if (!zipped.has(file)) zipped.set(file, gzipSync(body, { level: 9 }));
      body = zipped.get(file);
      headers['Content-Encoding'] = 'gzip';
    }
    sent.set(path, (sent.get(path) ?? 0) + body.length);
    if (request.headers['cache-control']) checked.set(path, (checked.get(path) ?? 0) + body.length);
    bodies.set(path, (bodies.get(path) ?? 0) + 1);
    response.writeHead(200, { ...headers, 'Content-Length': body.length }).end(body);
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return {
    url: `http://127.0.0.1:${server.address().port}/`,
    sent,
    checked,
    bodies,
    requests,
    release,
    close: () => new Promise((resolve) => {
      server.close(resolve);
      server.closeAllConnections();
    }),
  };
}
