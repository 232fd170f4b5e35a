// A static web host for the page's tests and benchmark: serves one folder on
// 127.0.0.1 at a free port, as a plain host would (file types, validators and
// "not modified", gzip for the compressible files when asked), and counts the
// bytes of the bodies it sends per path.
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

export async function serve(root, { gzip = false } = {}) {
  const sent = new Map(); // path -> bytes on the wire
  const zipped = new Map(); // compressed once, as a host that keeps .gz files beside the originals
  const server = createServer(async (request, response) => {
    const path = decodeURIComponent(new URL(request.url, 'http://host').pathname);
    const file = normalize(join(root, path.endsWith('/') ? `${path}index.html` : path));
    let body;
    try {
      if (!file.startsWith(normalize(root))) throw new Error('outside the site');
      body = await readFile(file);
    } catch {
      response.writeHead(404).end();
      return;
    }
    const etag = `"${createHash('sha256').update(body).digest('hex').slice(0, 20)}"`;
    const headers = { 'Content-Type': TYPES[extname(file)] ?? 'application/octet-stream', 'Cache-Control': 'no-cache', ETag: etag };
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
    response.writeHead(200, { ...headers, 'Content-Length': body.length }).end(body);
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return {
    url: `http://127.0.0.1:${server.address().port}/`,
    sent,
    close: () => new Promise((resolve) => {
      server.close(resolve);
      server.closeAllConnections();
    }),
  };
}
